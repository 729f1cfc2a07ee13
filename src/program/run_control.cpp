#include "display/plotting.hpp"
#include "program/program.hpp"
#include "program/run.hpp"

namespace bhsim {

using enum ControlId;

void Program::CommandStart_Click() {
  switch (module.phase) {
    case RunPhase::Idle:
      module.StopRequested = 0;
      module.SetupChanged = 0;
      Run(*this).execute();
      break;
    case RunPhase::Paused:
      module.answer = module.SetupChanged == 1 ? UserAnswer::EndRun : UserAnswer::Continue;
      break;
    case RunPhase::EndWait:
      module.answer = UserAnswer::Next;
      break;
    case RunPhase::Integrating:  // the button is hidden
      break;
  }
}

void Program::CommandEnd_Click() {
  if (module.phase == RunPhase::Integrating) {
    module.StopRequested = 1;
  } else {
    platform.endProgram();
  }
}

void Program::Command3_Click() {
  bhsim::Command3_Click(module, form2, form1);
}

}  // namespace bhsim
