// Any command line for `bhsim --batch`. Either it is refused with a one-line message naming what is wrong,
// or every option it gives is within its range, every FIELD=TEXT names a text field, and a grid's points
// write no file of their own.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "cli/command_line.hpp"
#include "fuzzing.hpp"

namespace {

using bhsim::fuzzing::require;

void checkRun(const bhsim::BatchOptions& o, const std::vector<std::string>& args) {
  require(o.bodyCount >= 1 && o.bodyCount <= 3);
  require(o.refreshEvery >= 0);
  require(!o.maxSteps || *o.maxSteps >= 0);
  require(o.jobs >= 0 && o.jobs <= 1024);
  require(o.fields.size() <= args.size());
  for (const auto& [id, text] : o.fields) {
    require(bhsim::controlDesign(id).kind == bhsim::ControlKind::TextField);
  }
}

bool anyLineBreak(const std::vector<std::string>& args) {
  return std::any_of(args.begin(), args.end(),
                     [](const std::string& arg) { return arg.find('\n') != std::string::npos; });
}

// A grid's points write no file of their own and run in the grid's threads; its shard is one of its N.
void checkGrid(const bhsim::GridOptions& g, const std::vector<std::string>& args) {
  checkRun(g.point, args);
  require(!g.axes.empty() && g.jobs >= 0 && g.jobs <= 1024);
  require(1 <= g.shardIndex && g.shardIndex <= g.shardCount);
  const bhsim::BatchOptions& p = g.point;
  require(p.jsonPath.empty() && p.tablePath.empty() && p.tracePath.empty() && p.pngPath.empty() &&
          p.strainPath.empty() && p.jobs == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> args = bhsim::fuzzing::argumentsOf(data, size);
  const bhsim::ParsedCommand parsed = bhsim::parseBatchCommand(args);
  if (parsed.error.empty()) {
    if (const auto* grid = std::get_if<bhsim::GridOptions>(&parsed.command)) {
      checkGrid(*grid, args);
    } else {
      checkRun(std::get<bhsim::BatchOptions>(parsed.command), args);
    }
  } else {
    // One line, unless the argument it quotes brought a line break of its own.
    require(parsed.error.find('\n') == std::string::npos || anyLineBreak(args));
  }
  return 0;
}
