// Any command line for `bhsim --batch`. Either it is refused with a one-line message naming what is wrong,
// or every option it gives is within its range and every FIELD=TEXT names a text field.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "batch/batch_options.hpp"
#include "fuzz_args.hpp"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

void checkGood(const bhsim::BatchOptions& o, const std::vector<std::string>& args) {
  require(o.bodyCount >= 1 && o.bodyCount <= 3);
  require(o.refreshEvery >= 0);
  require(!o.maxSteps || *o.maxSteps >= 0);
  require(o.jobs >= 0 && o.jobs <= 1024);
  for (const std::string* path : {&o.jsonPath, &o.tracePath, &o.pngPath, &o.tablePath}) {
    require(path->find('\0') == std::string::npos);
  }
  require(o.fields.size() <= args.size());
  for (const auto& [id, text] : o.fields) {
    require(bhsim::controlDesign(id).kind == bhsim::ControlKind::TextField);
  }
}

bool anyLineBreak(const std::vector<std::string>& args) {
  return std::any_of(args.begin(), args.end(),
                     [](const std::string& arg) { return arg.find('\n') != std::string::npos; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> args = bhsim::fuzzing::argumentsOf(data, size);
  const bhsim::ParsedOptions parsed = bhsim::parseBatchOptions(args);
  if (parsed.error.empty()) {
    checkGood(parsed.options, args);
  } else {
    // One line, unless the argument it quotes brought a line break of its own.
    require(parsed.error.find('\n') == std::string::npos || anyLineBreak(args));
  }
  return 0;
}
