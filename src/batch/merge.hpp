#pragma once

#include <string>
#include <vector>

namespace bhsim {

// `bhsim --merge OUT.csv IN.csv...` with the arguments after "--merge": writes the table of a whole grid
// from the tables of its shards, the rows in point order, byte for byte the table one process would have
// written, and the grid's description beside it (from the descriptions beside the shards'). Returns the exit
// status: 0 written; 1 a point missing or doubled (named on standard error); 2 bad arguments, or inputs that
// are not tables of one grid; 3 the output could not be written. Nothing is written unless everything checks.
int mergeMain(const std::vector<std::string>& args);

}  // namespace bhsim
