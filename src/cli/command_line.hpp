#pragma once

#include <string>
#include <variant>
#include <vector>

#include "batch/batch_options.hpp"
#include "grid/grid_options.hpp"

namespace bhsim {

// What `bhsim --batch ARGS` asks for: one run, or with --sweep a grid of runs; or the usage text.
struct ParsedCommand {
  std::variant<BatchOptions, GridOptions> command;
  bool help = false;
  bool version = false;
  std::string error;  // one line naming the bad argument; empty when the command line is good
};

ParsedCommand parseBatchCommand(const std::vector<std::string>& args);

// The usage text of the batch mode, with the list of the fields a FIELD=TEXT can name.
std::string batchUsage();

}  // namespace bhsim
