#include "batch/single_run.hpp"

#include <iostream>
#include <string>

#include "batch/batch_output.hpp"
#include "batch/batch_run.hpp"
#include "batch/interrupt.hpp"
#include "output/leftovers.hpp"
#include "output/output_file.hpp"

namespace bhsim {
namespace {

bool writeJson(const BatchResult& result, const std::string& path) {
  const std::string text = jsonText(resultJson(result), 2) + "\n";
  if (path == "-") {
    std::cout << text << std::flush;
    return std::cout.good();
  }
  return writeOutputFile(path, text).empty();
}

// Outputs that could not be written are reported; the run itself went through (or was refused, when
// only its JSON is written).
bool reportOutputs(const BatchOptions& options, const BatchResult& result) {
  bool ok = true;
  const auto check = [&ok](bool written, const std::string& what, const std::string& path) {
    if (!written) {
      std::cerr << "bhsim: cannot write " << what << " '" << path << "'\n";
      ok = false;
    }
  };
  removeLeftovers(options.jsonPath);
  if (!options.jsonPath.empty()) check(writeJson(result, options.jsonPath), "JSON", options.jsonPath);
  if (result.status != 0) return ok;
  if (!options.tracePath.empty()) check(result.traceWritten, "trace", options.tracePath);
  if (!options.pngPath.empty()) check(result.pngWritten, "PNG", options.pngPath);
  if (!options.tablePath.empty()) check(result.tableWritten, "table", options.tablePath);
  if (!options.strainPath.empty()) check(result.strainWritten, "strain", options.strainPath);
  return ok;
}

}  // namespace

int runSingle(const BatchOptions& options) {
  const BatchResult result = runBatch(options);
  if (result.interrupted != 0) {
    std::cerr << "bhsim: interrupted " << result.progress << "; nothing written\n";
    return interruptedStatus(result.interrupted);
  }
  if (result.status != 0) std::cerr << "bhsim: run refused: " << result.refusal << "\n";
  if (!reportOutputs(options, result)) return 3;
  return result.status;
}

}  // namespace bhsim
