#include "batch/batch_run.hpp"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <thread>

#include "batch/batch_output.hpp"
#include "batch/parallel_sweep.hpp"
#include "batch/progress.hpp"
#include "platform/scripted_platform.hpp"
#include "program/program.hpp"
#include "program/read_parameters.hpp"
#include "sim/orbit.hpp"

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
  void openOutputs();
  void startParallelSweep(const RunParameters& p);
  void showProgress(const RunParameters& p);

  const BatchOptions& options_;
  ScriptedPlatform platform_;
  Program program_{platform_};
  ObserverFan observers_;
  std::unique_ptr<TraceWriter> trace_;
  std::unique_ptr<TableWriter> table_;
  std::unique_ptr<Progress> progress_;
  std::unique_ptr<ParallelSweep> sweep_;
  BatchResult result_;
};

int threadCount(const BatchOptions& options) {
  if (options.jobs > 0) return options.jobs;
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

void BatchSession::openOutputs() {
  if (!options_.tracePath.empty()) {
    trace_ = std::make_unique<TraceWriter>(options_.tracePath);
    observers_.add(trace_.get());
  }
  if (!options_.tablePath.empty()) {
    table_ = std::make_unique<TableWriter>(options_.tablePath);
    observers_.add(table_.get());
  }
  if (!observers_.empty()) program_.observer = &observers_;
}

// A three-black-hole sweep runs its configurations in parallel, unless a step budget ties each one to
// the steps of those before it.
void BatchSession::startParallelSweep(const RunParameters& p) {
  const int jobs = threadCount(options_);
  const double Pi = 4 * std::atan(1.0);
  const std::int64_t configurations = sweepLength(p.nalpha);
  if (jobs < 2 || options_.maxSteps || configurations < 2 || refusalReason(p, program_.module.nBH, Pi))
    return;
  sweep_ = std::make_unique<ParallelSweep>(program_, jobs, configurations);
  program_.options.source = sweep_.get();
  if (progress_) {
    sweep_->onWait(
        [this](std::int64_t finished, std::int64_t steps) { progress_->updateFinished(finished, steps); });
  }
}

void BatchSession::showProgress(const RunParameters& p) {
  if (options_.quiet || isatty(STDERR_FILENO) == 0) return;
  progress_ = std::make_unique<Progress>(stderr, sweepLength(p.nalpha), p.nrev0, p.Tott0);
  observers_.add(progress_.get());
  program_.observer = &observers_;
  platform_.always([this] { progress_->update(program_.module.totalSteps); });
}

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
  openOutputs();
  // the parameters the run will read, as the fields now hold them
  const RunParameters parameters = readParameters(program_.form1, program_.module.nBH);
  showProgress(parameters);
  startParallelSweep(parameters);
  script();
  program_.form1.userClick(CommandStart);
  sweep_.reset();
  if (progress_) progress_->finish();
  if (!platform_.refusals.empty()) {
    result_.status = 1;
    result_.refusal = platform_.refusals.front();
    return result_;
  }
  result_.idle = snapshotJson(program_.form1);
  result_.configurations = program_.module.configurationsBuilt;
  result_.steps = program_.module.totalSteps;
  result_.traceWritten = trace_ && trace_->good();
  result_.tableWritten = table_ && table_->good();
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
