#pragma once

#include <string>
#include <vector>

namespace bhsim {

// Writes `output`, the table of a whole grid, from the tables of its shards (`inputs`): the rows in
// point order, byte for byte the table one process would have written, and the grid's description beside
// it (from the descriptions beside the shards'). Returns the exit status: 0 written; 1 a point missing or
// doubled (named on standard error); 2 inputs that are not tables of one grid; 3 the output could not be
// written. Nothing is written unless everything checks.
int mergeTables(const std::string& output, const std::vector<std::string>& inputs);

}  // namespace bhsim
