#include "display/plotting.hpp"
#include "program/program.hpp"
#include "program/run.hpp"

namespace bhsim {

using enum ControlId;

void Program::CommandStart_Click() {
  const std::string& caption = text(CommandStart);
  if (caption == "Start") {
    module.StopRequested = 0;
    module.SetupChanged = 0;
    Run(*this).execute();
  } else if (caption == "Cont") {
    module.UserCommand = module.SetupChanged == 1 ? "E" : "C";
  } else {
    module.UserCommand = "N";
  }
}

void Program::CommandEnd_Click() {
  if (text(CommandEnd) == "Stop") {
    module.StopRequested = 1;
  } else {
    platform.endProgram();
  }
}

void Program::Command3_Click() {
  bhsim::Command3_Click(module, form2, form1);
}

}  // namespace bhsim
