// The bare integration step: attraction, motion, the checks and the revolution test, with no window, clock
// or field. Items per second are integration steps per second.
#include <benchmark/benchmark.h>

#include "platform/scripted_platform.hpp"
#include "program/program.hpp"
#include "sim/fast_steps.hpp"
#include "sim/packed_steps.hpp"
#include "sim/step.hpp"

namespace bhsim {
namespace {

using enum ControlId;

// The state a real configuration starts from: the default set-up for `bodies` black holes.
LoopState startingState(int bodies) {
  struct Grab : RunObserver {
    void onConfigurationStart(int, double, const LoopState& s) override { state = s; }
    LoopState state;
  } grab;
  ScriptedPlatform platform;
  Program program(platform);
  program.Form_Load();
  for (int n = 1; n < bodies; ++n) program.form1.userClick(TnBH);
  program.observer = &grab;
  platform.when([&] { return program.module.phase == RunPhase::Paused; },
                [&] { program.form1.userClick(CommandStart); });
  platform.when([&] { return program.module.totalSteps > 0; }, [&] { program.form1.userClick(CommandEnd); });
  platform.when([&] { return program.module.phase == RunPhase::EndWait; },
                [&] { program.form1.userClick(CommandStart); });
  program.options.refreshEvery = 1000;
  program.form1.userClick(CommandStart);
  return grab.state;
}

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
  const std::int64_t end = s.cnt + steps;
  while (s.cnt < end) {
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
  start.x2 *= 1000;
  for (auto _ : state) {
    LoopState s = start;
    runFast<true, step::MassMode::Three>(s, state.range(0));
    benchmark::DoNotOptimize(s);
    if (s.nstars != 3) state.SkipWithError("black hole 3 left the play");
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
  start.x2 *= 1000;  // far out, so that it stays in play for the whole measurement
  for (auto _ : state) {
    LoopState s = start;
    runSteps(s, state.range(0));
    benchmark::DoNotOptimize(s);
    if (s.nstars != 3) state.SkipWithError("black hole 3 left the play");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StepThreeBodies)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace bhsim
