#pragma once

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "batch/batch_options.hpp"
#include "grid/grid.hpp"

namespace bhsim {

// A grid of whole runs: every point of it (or of one shard) is the run of `point` with the axes' values
// typed in after its fields; the points' table rows and JSON lines go into one table and one JSON file.
struct GridOptions {
  BatchOptions point;          // what every point's run shares; it writes no file of its own
  std::vector<GridAxis> axes;  // --sweep, in the order given
  std::string tablePath;
  std::string jsonPath;         // "-" for standard output
  std::int64_t shardIndex = 1;  // --shard K/N: K ...
  std::int64_t shardCount = 1;  // ... and N
  bool resume = false;          // take up the points a killed or interrupted run of the grid recorded
  int jobs = 0;                 // threads for the points (and the configurations within them)
  bool quiet = false;
  // Where the table and the JSON lines go instead of files, for a program that keeps them (no journal,
  // no description); null: the paths above.
  std::ostream* tableStream = nullptr;
  std::ostream* jsonStream = nullptr;
  std::ostream* messages = &std::cerr;  // a line for each refused point and for an interrupted grid
};

}  // namespace bhsim
