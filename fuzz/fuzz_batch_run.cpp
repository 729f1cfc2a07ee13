// Any command line for `bhsim --batch`, run in process with a small step budget and no output files (for
// a grid, the run its points share).
// The run is either refused with a reason or goes through, and every field it wrote holds a number. (A
// step budget keeps the sweep on the run's own thread.) A command line without --gravity runs under a
// model of the table chosen by its length, so that the inputs cycle through every model.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <variant>
#include <vector>

#include "batch/batch_run.hpp"
#include "cli/command_line.hpp"
#include "field_checks.hpp"
#include "fuzz_args.hpp"

namespace {

constexpr std::int64_t kMaxSteps = 3000;
constexpr std::int64_t kRefreshEvery = 250;

void require(bool condition, const std::string& what) {
  if (condition) return;
  std::fprintf(stderr, "%s\n", what.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const bhsim::ParsedCommand parsed = bhsim::parseBatchCommand(bhsim::fuzzing::argumentsOf(data, size));
  if (!parsed.error.empty() || parsed.help) return 0;
  // a grid: the run its points share
  const auto* grid = std::get_if<bhsim::GridOptions>(&parsed.command);
  bhsim::BatchOptions options = grid ? grid->point : std::get<bhsim::BatchOptions>(parsed.command);
  options.jsonPath.clear();
  options.tracePath.clear();
  options.pngPath.clear();
  options.tablePath.clear();
  options.strainPath.clear();
  options.quiet = true;
  if (!options.gravity)
    options.gravity = bhsim::kGravityModels[size % std::size(bhsim::kGravityModels)].model;
  options.maxSteps = std::min(options.maxSteps.value_or(kMaxSteps), kMaxSteps);
  // A fixed refresh makes every run reproducible, as a fuzzer needs.
  if (options.refreshEvery <= 0) options.refreshEvery = kRefreshEvery;
  const bhsim::BatchResult result = bhsim::runBatch(options);
  require(result.status == 0 || result.status == 1, "status " + std::to_string(result.status));
  require((result.status == 1) == !result.refusal.empty(), "refusal without a reason");
  if (result.status == 1) return 0;
  for (const auto* snapshot : {&result.endWait, &result.idle}) {
    const std::string problem = bhsim::testing::snapshotProblem(*snapshot, options);
    require(problem.empty(), problem);
  }
  require(result.steps <= *options.maxSteps + bhsim::testing::kStopSlackSteps, "the step budget overran");
  return 0;
}
