#include "batch/single_run.hpp"

#include <iostream>
#include <string>
#include <vector>

#include "batch/batch_output.hpp"
#include "batch/batch_run.hpp"
#include "batch/interrupt.hpp"
#include "output/output_file.hpp"

namespace bhsim {
namespace {

// An output the command line names, as messages name it, and where the run tells how it went (none for
// the JSON, which is written here).
struct NamedOutput {
  const char* what;
  const std::string& path;
  OutputOutcome BatchResult::*outcome = nullptr;
};

std::vector<NamedOutput> outputsOf(const BatchOptions& options) {
  std::vector<NamedOutput> named;
  for (const NamedOutput& output : {NamedOutput{"JSON", options.jsonPath},
                                    {"trace", options.tracePath, &BatchResult::trace},
                                    {"PNG", options.pngPath, &BatchResult::png},
                                    {"table", options.tablePath, &BatchResult::table},
                                    {"strain", options.strainPath, &BatchResult::strainFile}}) {
    if (!output.path.empty()) named.push_back(output);
  }
  return named;
}

// One line on standard error; false, for the exit status.
bool cannotWrite(const NamedOutput& output, const std::string& why) {
  std::cerr << "bhsim: cannot write " << output.what << " '" << output.path << "'"
            << (why.empty() ? "" : ": " + why) << "\n";
  return false;
}

// Before anything is integrated: each output that can be seen not to be writable (a missing folder, no
// permission, a loop of links) is named with the reason.
bool outputsWritable(const BatchOptions& options) {
  bool ok = true;
  for (const NamedOutput& output : outputsOf(options)) {
    if (const std::string problem = outputProblem(output.path); !problem.empty())
      ok = cannotWrite(output, problem);
  }
  return ok;
}

std::string writeJson(const BatchResult& result, const std::string& path) {
  return writeOutputFile(path, jsonText(resultJson(result), 2) + "\n");
}

// Outputs that could not be written are reported; the run itself went through (or was refused, when
// only its JSON is written).
bool reportOutputs(const BatchOptions& options, const BatchResult& result) {
  bool ok = true;
  for (const NamedOutput& output : outputsOf(options)) {
    if (output.outcome == nullptr) {
      if (const std::string error = writeJson(result, output.path); !error.empty())
        ok = cannotWrite(output, error);
    } else if (result.status == 0 && !(result.*output.outcome).written) {
      ok = cannotWrite(output, (result.*output.outcome).error);
    }
  }
  return ok;
}

}  // namespace

int runSingle(const BatchOptions& options) {
  if (!outputsWritable(options)) return 3;
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
