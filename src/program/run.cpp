#include "program/run.hpp"

#include <cmath>

#include "format/number_text.hpp"
#include "format/truncate.hpp"
#include "program/program.hpp"
#include "program/read_parameters.hpp"
#include "sim/constants.hpp"
#include "sim/step.hpp"

namespace bhsim {

using enum ControlId;

namespace {

// What the display names over the picture: a post-Newtonian model, and an integrator other than the
// fixed step ("1PN + 2.5PN, IAS15").
std::string legendOf(const RunParameters& p) {
  std::string legend(p.gravity == GravityModel::Newtonian ? "" : gravityModelLabel(p.gravity));
  if (p.integrator == Integrator::Euler) return legend;
  return legend + (legend.empty() ? "" : ", ") + std::string(integratorRow(p.integrator).label);
}

}  // namespace

void Run::execute() {
  RunState& state = program_.runState;
  p_ = readParameters(program_.panel, state.bodyCount);
  p_.gravity = program_.options.gravity;
  p_.integrator = program_.options.integrator;
  p_.tolerance = program_.options.tolerance;
  if (auto reason = refusalReason(p_, state.bodyCount)) {
    program_.platform.reportRefusal(*reason);
    return;
  }
  start();
  const auto& only = program_.options.onlyConfiguration;
  ialpha_ = only.value_or(0);
  bool waitForNext = true;
  for (;;) {
    const SetupOutcome setup = buildConfiguration();
    if (setup == SetupOutcome::Ended) return;
    if (setup == SetupOutcome::EndRun) {
      waitForNext = false;
      break;
    }
    if (setup == SetupOutcome::EndWait) break;
    LoopOutcome outcome = integrate();
    if (outcome == LoopOutcome::Completed && s_.stepCount < kPlotPeriod) {
      // A configuration that ended before its first plot step never passed over the events: a sweep of
      // such configurations would run on deaf to Stop and End. Pass over them once here.
      program_.platform.pumpEvents();
      if (program_.ended()) return;
      if (state.stopRequested) outcome = LoopOutcome::Stopped;
    }
    if (outcome == LoopOutcome::Ended) return;
    if (outcome == LoopOutcome::Stopped || static_cast<double>(ialpha_) >= p_.nalpha || only) {
      sweepEnd();
      break;
    }
  }
  if (waitForNext && !endWait()) return;
  restore();
}

void Run::start() {
  RunState& state = program_.runState;
  program_.display.clear();
  program_.display.setLegend(legendOf(p_));
  // an adaptive integrator's step is shown as the mean of its steps
  if (isAdaptive(p_.integrator)) program_.panel.setText(TimeStepLabel, "mean dt");
  state.editsEnabled = false;
  state.stopRequested = false;
  state.totalSteps = 0;
  state.configurationsBuilt = 0;
  program_.layoutWindows(1);
  if (p_.dalphaZeroed) program_.write(AngleStepField, "0");
  state.savedMass1 = p_.BH1;
  state.savedMass2 = p_.BH2;
  state.savedMass3 = p_.BH3;
  state.timeLimit = p_.timeLimit;
  state.revolutionLimit = p_.revolutionLimit;
  program_.write(SavedTotalTimeField, generalForm(state.timeLimit));
  program_.write(SavedRevolutionsField, generalForm(state.revolutionLimit));
}

void Run::sweepEnd() {
  RunState& state = program_.runState;
  state.editsEnabled = false;
  for (auto [field, mass] : {std::pair{Mass1Field, s_.m1}, std::pair{Mass2Field, s_.m2}}) {
    const double x = mass / kSolarGM;
    program_.write(field, numberText(x < 1000 ? truncateTo(x, 1) : truncateTo(x, 0)));
  }
  s_.elapsed = step::simulatedTime(s_);
  program_.write(TotalTimeField, numberText(truncateTo(s_.elapsed, 4)));
  state.editsEnabled = true;
}

// Waits for "Next"; false when the program ended meanwhile.
bool Run::endWait() {
  RunState& state = program_.runState;
  state.phase = RunPhase::EndWait;
  program_.panel.setVisible(StartButton, true);
  program_.panel.setText(StartButton, "Next");
  program_.panel.setText(EndButton, "End");
  state.answer = UserAnswer::None;
  state.setupChanged = false;
  state.editsEnabled = true;
  do {
    // A Stop still pending ends the wait after one pump, without blocking.
    if (state.stopRequested) {
      program_.platform.pumpEvents();
    } else {
      program_.platform.waitEvents();
    }
    if (program_.ended()) return false;
  } while (state.answer == UserAnswer::None && !state.stopRequested && !state.setupChanged);
  return true;
}

void Run::restore() {
  RunState& state = program_.runState;
  program_.write(Mass1Field, numberText(state.savedMass1));
  program_.write(Mass2Field, numberText(state.savedMass2));
  program_.write(Mass3Field, numberText(state.savedMass3));
  program_.write(TotalTimeField, numberText(state.timeLimit));
  program_.write(RevolutionsField, numberText(state.revolutionLimit));
  program_.panel.setText(RevolutionsLabel, "n rev");
  if (isAdaptive(p_.integrator)) program_.panel.setText(TimeStepLabel, "delta t");
  state.phase = RunPhase::Idle;
  program_.panel.setText(StartButton, "Start");
  state.editsEnabled = true;
  state.stopRequested = false;
}

}  // namespace bhsim
