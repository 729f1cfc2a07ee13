// Whole batch runs, clock reads, plots, pumps and field refreshes included.
#include <benchmark/benchmark.h>

#include "batch/batch_run.hpp"

namespace bhsim {
namespace {

using enum ControlId;

// The default two-black-hole run: 7 revolutions of 1,000,000 steps with the 5 % mass gain.
void BM_DefaultTwoBodyBatch(benchmark::State& state) {
  BatchOptions options;
  options.bodyCount = 2;
  std::int64_t steps = 0;
  for (auto _ : state) {
    const BatchResult result = runBatch(options);
    steps += result.steps;
  }
  state.SetItemsProcessed(steps);
  state.counters["ns_per_step"] = benchmark::Counter(
      static_cast<double>(steps), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DefaultTwoBodyBatch)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// A three-black-hole sweep of 37 configurations at 20,000 steps a revolution, in `jobs` threads.
void BM_ThreeBodySweepBatch(benchmark::State& state) {
  BatchOptions options;
  options.bodyCount = 3;
  options.jobs = static_cast<int>(state.range(0));
  options.fields = {{MaxCountField, "20000"}};
  std::int64_t steps = 0;
  for (auto _ : state) steps += runBatch(options).steps;
  state.SetItemsProcessed(steps);
  state.counters["ns_per_step"] = benchmark::Counter(
      static_cast<double>(steps), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ThreeBodySweepBatch)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

// The field refresh: a two-black-hole run that refreshes at every step, so that a step costs about one
// refresh (24 field texts written).
void BM_Refresh(benchmark::State& state) {
  BatchOptions options;
  options.bodyCount = 2;
  options.refreshEvery = 1;
  options.maxSteps = 20000;
  options.fields = {{RevolutionsField, "0"}, {TotalTimeField, "0"}};
  std::int64_t steps = 0;
  for (auto _ : state) steps += runBatch(options).steps;
  state.SetItemsProcessed(steps);
}
BENCHMARK(BM_Refresh)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace bhsim
