// The bare integration step: attraction, motion, the checks and the revolution test, with no window, clock
// or field. Items per second are integration steps per second.
#include <benchmark/benchmark.h>

#include "sim/packed_steps.hpp"
#include "sim/relativistic_step.hpp"
#include "sim/revolution_watch.hpp"
#include "sim/step.hpp"
#include "starting_state.hpp"

namespace bhsim {
namespace {

void runSteps(LoopState& s, std::int64_t steps) {
  for (std::int64_t i = 0; i < steps; ++i) {
    step::advance(s);
    step::revolutionTest(s);
    step::massChange(s);
  }
}

// The loop's fast path: whole runs of steps between events, the angle only where it is needed.
template <bool kThree, step::MassMode kMass>
void runFast(LoopState& s, std::int64_t steps) {
  const step::DirectionWatch watch(s.alpha);
  const std::int64_t end = s.stepCount + steps;
  while (s.stepCount < end) {
    step::runPackedSteps<kThree, kMass>(s, watch, end);
    step::massChange(s);
  }
}

void BM_FastStepsTwoBodies(benchmark::State& state) {
  const LoopState start = startingState(2);
  for (auto _ : state) {
    LoopState s = start;
    runFast<false, step::MassMode::Two>(s, state.range(0));
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FastStepsTwoBodies)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_FastStepsThreeBodies(benchmark::State& state) {
  LoopState start = startingState(3);
  start.x3 *= 1000;
  for (auto _ : state) {
    LoopState s = start;
    runFast<true, step::MassMode::Three>(s, state.range(0));
    benchmark::DoNotOptimize(s);
    if (s.bodiesInPlay != 3) state.SkipWithError("black hole 3 left the play");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FastStepsThreeBodies)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The plain step, one at a time, as the reference loop runs it.
void BM_StepTwoBodies(benchmark::State& state) {
  const LoopState start = startingState(2);
  for (auto _ : state) {
    LoopState s = start;
    runSteps(s, state.range(0));
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StepTwoBodies)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_StepThreeBodies(benchmark::State& state) {
  LoopState start = startingState(3);
  start.x3 *= 1000;  // far out, so that it stays in play for the whole measurement
  for (auto _ : state) {
    LoopState s = start;
    runSteps(s, state.range(0));
    benchmark::DoNotOptimize(s);
    if (s.bodiesInPlay != 3) state.SkipWithError("black hole 3 left the play");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StepThreeBodies)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The post-Newtonian step as a run under a model takes it (the plain loop), from the default set-up of
// `bodies` black holes widened a hundredfold, so that no pair merges during the measurement. Compare with
// BM_StepTwoBodies and BM_StepThreeBodies, the plain Newtonian step.
void BM_RelativisticStep(benchmark::State& state) {
  LoopState start = startingState(static_cast<int>(state.range(1)));
  start.gravity = kGravityModels[state.range(2)].model;
  const step::ModelStep advance = step::stepOf(start.gravity);
  for (double* x : {&start.x1, &start.y1, &start.x2, &start.y2, &start.x3, &start.y3}) *x *= 100;
  for (double* v : {&start.vx1, &start.vy1, &start.vx2, &start.vy2}) *v /= 10;
  for (auto _ : state) {
    LoopState s = start;
    for (std::int64_t i = 0; i < state.range(0); ++i) {
      advance(s);
      step::revolutionTest(s);
      step::massChange(s);
    }
    benchmark::DoNotOptimize(s);
    if (s.bodiesInPlay != start.bodiesInPlay || s.endCode != EndCode::None)
      state.SkipWithError("the configuration changed or ended");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetLabel(std::string(gravityModelName(start.gravity)));
}
BENCHMARK(BM_RelativisticStep)
    ->ArgNames({"steps", "bodies", "model"})
    ->ArgsProduct({{1000000}, {2, 3}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace bhsim
