#include "cli/batch_main.hpp"

#include <iostream>
#include <variant>

#include "batch/interrupt.hpp"
#include "batch/single_run.hpp"
#include "bhsim_version.hpp"
#include "cli/command_line.hpp"
#include "grid/grid_run.hpp"
#include "grid/merge.hpp"

namespace bhsim {

int batchMain(int argc, char** argv) {
  const std::vector<std::string> args(argv, argv + argc);
  const ParsedCommand parsed = parseBatchCommand(args);
  if (!parsed.error.empty()) {
    std::cerr << "bhsim: " << parsed.error << " (bhsim --batch --help for usage)\n";
    return 2;
  }
  if (parsed.version) {
    std::cout << "bhsim " << kBhsimVersion << "\n";
    return 0;
  }
  if (parsed.help) {
    std::cout << batchUsage();
    return 0;
  }
  catchInterrupts();
  if (const auto* grid = std::get_if<GridOptions>(&parsed.command)) return runGrid(*grid);
  return runSingle(std::get<BatchOptions>(parsed.command));
}

int mergeMain(const std::vector<std::string>& args) {
  if (args.size() < 2 || args.front().rfind("--", 0) == 0) {
    std::cerr << "usage: bhsim --merge OUT.csv IN.csv...\n";
    return 2;
  }
  return mergeTables(args.front(), {args.begin() + 1, args.end()});
}

}  // namespace bhsim
