// Any command line for `bhsim --batch`, run in process with a small step budget and no output files (for
// a grid, the run its points share).
// The run is either refused with a reason or goes through within its budget, and every field it wrote
// holds a number. (A step budget keeps the sweep on the run's own thread.) A command line without --gravity
// runs under a model of the table chosen by its length, so that the inputs cycle through every model.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <variant>
#include <vector>

#include "cli/command_line.hpp"
#include "field_checks.hpp"
#include "fuzzing.hpp"

namespace {

constexpr std::int64_t kMaxSteps = 3000;
constexpr std::int64_t kRefreshEvery = 250;

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
  const std::string problem = bhsim::testing::runProblem(options, bhsim::runBatch(options));
  bhsim::fuzzing::require(problem.empty(), problem);
  return 0;
}
