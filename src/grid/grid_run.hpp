#pragma once

#include "grid/grid_options.hpp"

namespace bhsim {

// Runs every point of the grid (of its shard) as a whole batch run, in parallel threads, and writes the
// table and the JSON lines in point order. Returns the exit status: 0 every point ran, 1 one
// was refused, 3 an output could not be written.
int runGrid(const GridOptions& options);

}  // namespace bhsim
