#include "program/run.hpp"

#include <cmath>

#include "format/number_text.hpp"
#include "format/truncate.hpp"
#include "program/program.hpp"
#include "program/read_parameters.hpp"
#include "sim/constants.hpp"

namespace bhsim {

using enum ControlId;

void Run::execute() {
  Module1& m = program_.module;
  Pi_ = 4 * std::atan(1.0);
  p_ = readParameters(program_.form1, m.nBH);
  if (auto reason = refusalReason(p_, m.nBH, Pi_)) {
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
    if (outcome == LoopOutcome::Completed && s_.cnt < kPlotPeriod) {
      // A configuration that ended before its first plot step never passed over the events: a sweep of
      // such configurations would run on deaf to Stop and End. Pass over them once here.
      program_.platform.pumpEvents();
      if (program_.ended()) return;
      if (m.StopRequested == 1) outcome = LoopOutcome::Stopped;
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
  Module1& m = program_.module;
  program_.form2.clear();
  m.EditsEnabled = 0;
  m.Pi = Pi_;
  m.StopRequested = 0;
  m.totalSteps = 0;
  m.configurationsBuilt = 0;
  program_.RESIZE(1);
  if (p_.dalphaZeroed) program_.write(Tdalpha, "0");
  m.BH10 = p_.BH1;
  m.BH20 = p_.BH2;
  m.BH30 = p_.BH3;
  m.Tott0 = p_.Tott0;
  m.nrev0 = p_.nrev0;
  program_.write(TTott0, generalForm(m.Tott0));
  program_.write(Tnrev0, generalForm(m.nrev0));
}

void Run::sweepEnd() {
  Module1& m = program_.module;
  m.EditsEnabled = 0;
  for (auto [field, mass] : {std::pair{TBH1, s_.m0}, std::pair{TBH2, s_.m1}}) {
    const double x = mass / GM;
    program_.write(field, numberText(x < 1000 ? truncateTo(x, 1) : truncateTo(x, 0)));
  }
  s_.ttime = s_.dt * static_cast<double>(s_.cnt);
  program_.write(Ttotaltime, numberText(truncateTo(s_.ttime, 4)));
  m.EditsEnabled = 1;
}

// Waits for "Next"; false when the program ended meanwhile.
bool Run::endWait() {
  Module1& m = program_.module;
  m.phase = RunPhase::EndWait;
  program_.form1.setVisible(CommandStart, true);
  program_.form1.setText(CommandStart, "Next");
  program_.form1.setText(CommandEnd, "End");
  m.answer = UserAnswer::None;
  m.SetupChanged = 0;
  m.EditsEnabled = 1;
  do {
    // A Stop still pending ends the wait after one pump, without blocking.
    if (m.StopRequested == 1) {
      program_.platform.pumpEvents();
    } else {
      program_.platform.waitEvents();
    }
    if (program_.ended()) return false;
  } while (m.answer == UserAnswer::None && m.StopRequested != 1 && m.SetupChanged != 1);
  return true;
}

void Run::restore() {
  Module1& m = program_.module;
  program_.write(TBH1, numberText(m.BH10));
  program_.write(TBH2, numberText(m.BH20));
  program_.write(TBH3, numberText(m.BH30));
  program_.write(Ttotaltime, numberText(m.Tott0));
  program_.write(Tnrev, numberText(m.nrev0));
  program_.form1.setText(Lnrev, "n rev");
  m.phase = RunPhase::Idle;
  program_.form1.setText(CommandStart, "Start");
  m.EditsEnabled = 1;
  m.StopRequested = 0;
}

}  // namespace bhsim
