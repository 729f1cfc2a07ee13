#include "batch/batch_run.hpp"

#include <memory>

#include "batch/batch_output.hpp"
#include "control/program.hpp"
#include "platform/scripted_platform.hpp"

namespace bhsim {
namespace {

using enum ControlId;

// Without a step budget, a run that neither counts revolutions nor has a time limit never ends.
std::optional<std::string> endlessRun(const Program& program, const BatchOptions& options) {
  if (options.maxSteps) return std::nullopt;
  if (program.value(Tnrev) > 0 || program.value(Ttotaltime) > 0) return std::nullopt;
  return "\"n rev\" and \"Total time\" are both 0 or less: nothing would end the run (give --max-steps).";
}

class BatchSession {
 public:
  explicit BatchSession(const BatchOptions& options) : options_(options) {
    program_.options.refreshEvery = options.refreshEvery;
    if (options.refreshEvery <= 0) platform_.useSystemClock();
  }

  BatchResult run();

 private:
  void script();
  void atEndWait();

  const BatchOptions& options_;
  ScriptedPlatform platform_;
  Program program_{platform_};
  std::unique_ptr<TraceWriter> trace_;
  BatchResult result_;
};

void BatchSession::script() {
  Form1& form1 = program_.form1;
  platform_.when([&form1] { return form1.text(CommandStart) == "Cont"; },
                 [&form1] { form1.userClick(CommandStart); });
  platform_.when([&form1] { return form1.text(CommandStart) == "Next"; }, [this] { atEndWait(); });
  if (options_.maxSteps) {
    const std::int64_t budget = *options_.maxSteps;
    platform_.always([this, budget, &form1] {
      if (program_.module.totalSteps >= budget && form1.text(CommandEnd) == "Stop") {
        form1.userClick(CommandEnd);
      }
    });
  }
}

void BatchSession::atEndWait() {
  result_.endWait = snapshotJson(program_.form1);
  if (!options_.pngPath.empty()) result_.pngWritten = writePng(program_.form2, options_.pngPath);
  program_.form1.userClick(CommandStart);
}

BatchResult BatchSession::run() {
  program_.Form_Load();
  for (int n = 1; n < options_.bodyCount; ++n) program_.form1.userClick(TnBH);
  for (const auto& [id, text] : options_.fields) program_.form1.userEdit(id, text);
  if (auto reason = endlessRun(program_, options_)) {
    result_.status = 1;
    result_.refusal = *reason;
    return result_;
  }
  if (!options_.tracePath.empty()) {
    trace_ = std::make_unique<TraceWriter>(options_.tracePath);
    program_.observer = trace_.get();
  }
  script();
  program_.form1.userClick(CommandStart);
  if (!platform_.refusals.empty()) {
    result_.status = 1;
    result_.refusal = platform_.refusals.front();
    return result_;
  }
  result_.idle = snapshotJson(program_.form1);
  result_.configurations = program_.module.configurationsBuilt;
  result_.steps = program_.module.totalSteps;
  result_.traceWritten = trace_ && trace_->good();
  if (!options_.pngPath.empty() && result_.endWait.is_null()) {
    result_.pngWritten = writePng(program_.form2, options_.pngPath);
  }
  return result_;
}

}  // namespace

BatchResult runBatch(const BatchOptions& options) {
  return BatchSession(options).run();
}

}  // namespace bhsim
