#include "batch/batch_main.hpp"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "batch/batch_options.hpp"
#include "batch/batch_run.hpp"

namespace bhsim {
namespace {

nlohmann::ordered_json resultJson(const BatchResult& result) {
  return {{"end_wait", result.endWait},
          {"idle", result.idle},
          {"configurations", result.configurations},
          {"steps", result.steps}};
}

bool writeJson(const BatchResult& result, const std::string& path) {
  const std::string text = resultJson(result).dump(2) + "\n";
  if (path == "-") {
    std::cout << text << std::flush;
    return std::cout.good();
  }
  std::ofstream out(path);
  out << text;
  return out.good();
}

// Outputs that could not be written are reported; the run itself went through.
bool reportOutputs(const BatchOptions& options, const BatchResult& result) {
  bool ok = true;
  const auto check = [&ok](bool written, const std::string& what, const std::string& path) {
    if (!written) {
      std::cerr << "bhsim: cannot write " << what << " '" << path << "'\n";
      ok = false;
    }
  };
  if (!options.jsonPath.empty()) check(writeJson(result, options.jsonPath), "JSON", options.jsonPath);
  if (!options.tracePath.empty()) check(result.traceWritten, "trace", options.tracePath);
  if (!options.pngPath.empty()) check(result.pngWritten, "PNG", options.pngPath);
  if (!options.tablePath.empty()) check(result.tableWritten, "table", options.tablePath);
  return ok;
}

}  // namespace

int batchMain(int argc, char** argv) {
  const std::vector<std::string> args(argv, argv + argc);
  const ParsedOptions parsed = parseBatchOptions(args);
  if (!parsed.error.empty()) {
    std::cerr << "bhsim: " << parsed.error << " (bhsim --batch --help for usage)\n";
    return 2;
  }
  if (parsed.options.help) {
    std::cout << kBatchUsage;
    return 0;
  }
  const BatchResult result = runBatch(parsed.options);
  if (result.status != 0) {
    std::cerr << "bhsim: run refused: " << result.refusal << "\n";
    return result.status;
  }
  return reportOutputs(parsed.options, result) ? 0 : 3;
}

}  // namespace bhsim
