#include "display/plotting.hpp"
#include "program/program.hpp"
#include "program/run.hpp"

namespace bhsim {

using enum ControlId;

void Program::onStartClicked() {
  switch (runState.phase) {
    case RunPhase::Idle:
      runState.stopRequested = false;
      runState.setupChanged = false;
      Run(*this).execute();
      break;
    case RunPhase::Paused:
      runState.answer = runState.setupChanged ? UserAnswer::EndRun : UserAnswer::Continue;
      break;
    case RunPhase::EndWait:
      runState.answer = UserAnswer::Next;
      break;
    case RunPhase::Integrating:  // the button is hidden
      break;
  }
}

void Program::onEndClicked() {
  if (runState.phase == RunPhase::Integrating) {
    runState.stopRequested = true;
  } else {
    platform.endProgram();
  }
}

void Program::drawTestPattern() {
  bhsim::drawTestPattern(runState, display, panel);
}

}  // namespace bhsim
