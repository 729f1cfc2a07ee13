#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "batch/grid.hpp"
#include "control/control_table.hpp"
#include "sim/gravity_model.hpp"

namespace bhsim {

// The command line of `bhsim --batch`.
struct BatchOptions {
  int bodyCount = 1;
  std::int64_t refreshEvery = 0;
  std::optional<std::int64_t> maxSteps;
  std::string jsonPath;  // "-" for standard output
  std::string tracePath;
  std::string pngPath;
  std::string tablePath;
  // --gravity; Newtonian (and no JSON key) when not given
  std::optional<GravityModel> gravity;
  std::string strainPath;
  double strainRate = 4096;   // samples a second of simulated time
  double distanceMpc = 410;   // the observer of the strain: distance ...
  double inclinationDeg = 0;  // ... and the angle of the line of sight to the orbit's normal
  int jobs = 0;               // threads for the configurations of a sweep; 0: one per core
  bool quiet = false;
  bool resume = false;  // take up the points a killed or interrupted run of the grid recorded
  std::vector<std::pair<ControlId, std::string>> fields;  // FIELD=TEXT, in the order given
  std::vector<SweepAxis> sweeps;                          // --sweep, in the order given
  std::int64_t shardIndex = 1;                            // --shard K/N: K ...
  std::int64_t shardCount = 1;                            // ... and N
  bool help = false;
};

struct ParsedOptions {
  BatchOptions options;
  std::string error;  // one line naming the bad argument; empty when the command line is good
};

// The threads --jobs asks for: N, or one per core.
int threadCount(const BatchOptions& options);

ParsedOptions parseBatchOptions(const std::vector<std::string>& args);

extern const std::string kBatchUsage;

}  // namespace bhsim
