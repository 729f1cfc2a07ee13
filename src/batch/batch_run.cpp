#include "batch/batch_run.hpp"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <numbers>
#include <thread>

#include "batch/batch_output.hpp"
#include "batch/interrupt.hpp"
#include "batch/parallel_sweep.hpp"
#include "batch/progress.hpp"
#include "batch/table.hpp"
#include "format/number_text.hpp"
#include "output/output_file.hpp"
#include "platform/scripted_platform.hpp"
#include "program/program.hpp"
#include "program/read_parameters.hpp"
#include "sim/orbit.hpp"
#include "sim/strain.hpp"

namespace bhsim {
namespace {

using enum ControlId;

// Without a step budget, a run that neither counts revolutions nor has a time limit never ends.
std::optional<std::string> endlessRun(const Program& program, const BatchOptions& options) {
  if (options.maxSteps) return std::nullopt;
  if (program.value(RevolutionsField) > 0 || program.value(TotalTimeField) > 0) return std::nullopt;
  return "\"n rev\" and \"Total time\" are both 0 or less: nothing would end the run (give --max-steps).";
}

// The gravity the run integrates with, as the JSON names it: the one place that knows it.
std::string integratedGravityName(const BatchOptions& options) {
  return std::string(gravityModelName(options.gravity.value_or(GravityModel::Newtonian)));
}

// What --strain samples: the rate, the observer and the gravity behind the accelerations.
nlohmann::ordered_json strainJson(const BatchOptions& options) {
  return {{"rate_hz", options.strainRate},
          {"distance_mpc", options.distanceMpc},
          {"inclination_deg", options.inclinationDeg},
          {"gravity", integratedGravityName(options)},
          {"sampled_at", isAdaptive(options.integrator.value_or(Integrator::Euler))
                             ? "at each sample time, from the step's dense output"
                             : "first step at or past each sample time"}};
}

StrainSampling strainSampling(const BatchOptions& options) {
  using std::numbers::pi;
  return {options.strainRate, {options.distanceMpc * kKmPerMpc, options.inclinationDeg * pi / 180}};
}

// Says once, at the first configuration, when the strain is sampled more often than the run steps: each
// sample takes the first step at or past its time, so samples between two steps repeat one state.
class StrainRateNote : public RunObserver {
 public:
  StrainRateNote(double rate, std::ostream& out) : rate_(rate), out_(out) {}
  void onConfigurationStart(int, double, const LoopState& state) override {
    if (said_ || !(rate_ * state.dt > 1)) return;
    said_ = true;
    out_ << "bhsim: note: --strain-rate " << rate_ << " is above the step rate of " << 1 / state.dt
         << " steps a simulated second: samples between two steps repeat the state of the later one\n";
  }

 private:
  double rate_;
  std::ostream& out_;
  bool said_ = false;
};

// Puts an output in place: whether it went, and why not.
OutputOutcome committed(OutputFile* file) {
  if (file == nullptr) return {};
  const bool written = file->commit();
  return {written, written ? "" : file->error()};
}

class BatchSession {
 public:
  BatchSession(const BatchOptions& options, const RunTaps& taps) : options_(options), taps_(taps) {
    // Without --refresh-every the fields refresh on a schedule of steps, not on the clock, so that every
    // run gives the same bytes; a time limit then ends a configuration at the first step past it.
    program_.options.refreshEvery = options.refreshEvery > 0 ? options.refreshEvery : kDefaultRefreshEvery;
    program_.options.refreshAtTimeLimit = options.refreshEvery <= 0;
    program_.options.gravity = options.gravity.value_or(GravityModel::Newtonian);
    if (options.gravity) result_.gravity = gravityModelName(*options.gravity);
    program_.options.integrator = options.integrator.value_or(Integrator::Euler);
    program_.options.tolerance = options.tolerance.value_or(kDefaultTolerance);
    if (options.integrator) result_.integrator = integratorName(*options.integrator);
    if (isAdaptive(program_.options.integrator)) result_.tolerance = program_.options.tolerance;
  }

  BatchResult run();

 private:
  void script();
  void atEndWait();
  void writePicture();
  std::string howFar(const RunParameters& p);
  void openOutputs();
  void commitOutputs();
  BatchResult refused(const std::string& reason);
  void startParallelSweep(const RunParameters& p);
  void showProgress(const RunParameters& p);

  const BatchOptions& options_;
  const RunTaps& taps_;
  ScriptedPlatform platform_;
  Program program_{platform_};
  ObserverFan observers_;
  std::unique_ptr<OutputFile> traceFile_, tableFile_, strainFile_;
  std::unique_ptr<TraceWriter> trace_;
  std::unique_ptr<StrainWriter> strain_;
  std::unique_ptr<StrainRateNote> strainNote_;
  std::unique_ptr<TableWriter> table_;
  RemnantList remnants_;
  std::unique_ptr<Progress> progress_;
  std::unique_ptr<ParallelSweep> sweep_;
  BatchResult result_;
};

void BatchSession::openOutputs() {
  if (!options_.tracePath.empty()) {
    traceFile_ = std::make_unique<OutputFile>(options_.tracePath);
    trace_ = std::make_unique<TraceWriter>(traceFile_->stream());
    observers_.add(trace_.get());
  }
  if (!options_.strainPath.empty()) {
    strainFile_ = std::make_unique<OutputFile>(options_.strainPath);
    strain_ = std::make_unique<StrainWriter>(strainFile_->stream());
    observers_.add(strain_.get());
  }
  if (!options_.strainPath.empty() || taps_.strain) {
    program_.options.strain = strainSampling(options_);
    result_.strain = strainJson(options_);
    strainNote_ = std::make_unique<StrainRateNote>(options_.strainRate, *taps_.notes);
    observers_.add(strainNote_.get());
  }
  const bool remnant = tableScopeOf(options_.gravity).relativistic;
  if (taps_.table.out != nullptr) {
    table_ = std::make_unique<TableWriter>(*taps_.table.out, taps_.table.layout, taps_.table.prefix);
  } else if (!options_.tablePath.empty()) {
    const TableLayout layout = tableLayout(tableScopeOf(options_.gravity));
    tableFile_ = std::make_unique<OutputFile>(options_.tablePath);
    tableFile_->stream() << tableHeader(layout) << '\n';
    table_ = std::make_unique<TableWriter>(tableFile_->stream(), layout);
  }
  if (table_) observers_.add(table_.get());
  if (remnant) observers_.add(&remnants_);
  if (taps_.observer != nullptr) observers_.add(taps_.observer);
  if (!observers_.empty()) program_.observer = &observers_;
}

void BatchSession::commitOutputs() {
  if (result_.interrupted != 0) return;
  result_.trace = committed(traceFile_.get());
  result_.table = committed(tableFile_.get());
  result_.strainFile = committed(strainFile_.get());
  if (result_.endWait.is_null()) writePicture();
}

// A refused run: the fields as they stand, nothing integrated, no file written.
BatchResult BatchSession::refused(const std::string& reason) {
  result_.status = 1;
  result_.refusal = reason;
  result_.endWait = nullptr;
  result_.idle = snapshotJson(program_.panel);
  result_.png = {};
  result_.pngBytes.clear();
  return result_;
}

// A three-black-hole sweep runs its configurations in parallel, unless a step budget ties each one to
// the steps of those before it.
void BatchSession::startParallelSweep(const RunParameters& p) {
  const int jobs = threadCount(options_.jobs);
  using std::numbers::pi;
  const std::int64_t configurations = sweepLength(p.nalpha);
  if (jobs < 2 || options_.maxSteps || configurations < 2 || refusalReason(p, program_.runState.bodyCount))
    return;
  sweep_ = std::make_unique<ParallelSweep>(program_, jobs, configurations, options_.stop);
  program_.options.source = sweep_.get();
  if (progress_) {
    sweep_->onWait(
        [this](std::int64_t finished, std::int64_t steps) { progress_->updateFinished(finished, steps); });
  }
}

void BatchSession::showProgress(const RunParameters& p) {
  if (options_.quiet || isatty(STDERR_FILENO) == 0) return;
  progress_ = std::make_unique<Progress>(stderr, sweepLength(p.nalpha), p.revolutionLimit, p.timeLimit);
  observers_.add(progress_.get());
  program_.observer = &observers_;
  platform_.always([this] { progress_->update(program_.runState.totalSteps); });
}

void BatchSession::script() {
  ControlPanel& panel = program_.panel;
  const RunPhase& phase = program_.runState.phase;
  platform_.when([&phase] { return phase == RunPhase::Paused; }, [&panel] { panel.userClick(StartButton); });
  platform_.when([&phase] { return phase == RunPhase::EndWait; }, [this] { atEndWait(); });
  if (options_.maxSteps) {
    const std::int64_t budget = *options_.maxSteps;
    platform_.always([this, budget, &panel] {
      if (program_.runState.totalSteps >= budget && program_.runState.phase == RunPhase::Integrating) {
        panel.userClick(EndButton);
      }
    });
  }
  platform_.always([this, &panel] {
    if (stopSignal(options_.stop) != 0 && program_.runState.phase == RunPhase::Integrating)
      panel.userClick(EndButton);
  });
}

// How far an interrupted run got, in all its threads: the steps integrated and the configurations finished.
std::string BatchSession::howFar(const RunParameters& p) {
  const RunState& state = program_.runState;
  ParallelSweep::Tally tally{std::max<std::int64_t>(0, state.configurationsBuilt - 1), state.totalSteps};
  if (sweep_) tally = sweep_->tally(state.totalSteps);
  return "after " + std::to_string(tally.steps) + " steps, " + std::to_string(tally.finished) + " of " +
         std::to_string(sweepLength(p.nalpha)) + " configurations finished";
}

// The display as it stands, to the PNG file and to the caller as they ask.
void BatchSession::writePicture() {
  if (!options_.pngPath.empty()) {
    const std::string error = writePng(program_.display, options_.pngPath);
    result_.png = {error.empty(), error};
  }
  if (taps_.picture) result_.pngBytes = pngData(program_.display);
}

void BatchSession::atEndWait() {
  result_.endWait = snapshotJson(program_.panel);
  if (stopSignal(options_.stop) == 0) writePicture();
  program_.panel.userClick(StartButton);
}

BatchResult BatchSession::run() {
  program_.load();
  for (int n = 1; n < options_.bodyCount; ++n) program_.panel.userClick(BodyCountField);
  for (const auto& [id, text] : options_.fields) program_.panel.userEdit(id, text);
  if (auto reason = endlessRun(program_, options_)) return refused(*reason);
  openOutputs();
  // the parameters the run will read, as the fields now hold them
  const RunParameters parameters = readParameters(program_.panel, program_.runState.bodyCount);
  showProgress(parameters);
  startParallelSweep(parameters);
  script();
  program_.panel.userClick(StartButton);
  if ((result_.interrupted = stopSignal(options_.stop)) != 0) result_.progress = howFar(parameters);
  sweep_.reset();
  if (progress_) progress_->finish();
  if (!platform_.refusals.empty()) return refused(platform_.refusals.front());
  result_.idle = snapshotJson(program_.panel);
  result_.configurations = program_.runState.configurationsBuilt;
  result_.steps = program_.runState.totalSteps;
  result_.forceEvaluations = isAdaptive(program_.options.integrator) ? program_.runState.totalForceEvaluations
                                                                     : program_.runState.totalSteps;
  if (tableScopeOf(options_.gravity).relativistic) result_.remnants = remnants_.list();
  commitOutputs();
  return result_;
}

}  // namespace

nlohmann::ordered_json resultJson(const BatchResult& result) {
  nlohmann::ordered_json json = {{"end_wait", result.endWait},
                                 {"idle", result.idle},
                                 {"configurations", result.configurations},
                                 {"steps", result.steps}};
  if (!result.gravity.empty()) json["gravity"] = result.gravity;
  if (!result.integrator.empty()) {
    json["integrator"] = result.integrator;
    if (result.tolerance > 0) json["tolerance"] = result.tolerance;
    json["force_evaluations"] = result.forceEvaluations;
  }
  if (!result.strain.is_null()) json["strain"] = result.strain;
  if (!result.remnants.is_null()) json["remnant"] = result.remnants;
  if (result.status != 0) json["refused"] = result.refusal;
  return json;
}

BatchResult runBatch(const BatchOptions& options, const RunTaps& taps) {
  return BatchSession(options, taps).run();
}

}  // namespace bhsim
