#include "format/number_text.hpp"
#include "program/program.hpp"

namespace bhsim {

using enum ControlId;

void Program::TBH1_Change() {
  if (module.EditsEnabled != 1) return;
  const double x = value(TBH1);
  if (module.nBH == 1 && x > 0) {
    write(Tfreq, "");
    write(Tdist01, "");
  }
}

void Program::Tdist01_Change() {
  if (module.EditsEnabled != 1) return;
  if (value(Tdist01) > 0) {
    write(Tfreq, "");
    write(Tvc, "");
  }
}

void Program::Tfreq_Change() {
  if (module.EditsEnabled != 1) return;
  if (value(Tfreq) > 0) {
    write(Tvc, "");
    write(Tdist01, "");
  }
}

void Program::Tvc_Change() {
  if (module.EditsEnabled != 1) return;
  const double x = value(Tvc);
  const double n = module.nBH;
  if ((n == 1 || n == 2 || n == 3) && x > 0) {
    write(Tfreq, "");
    write(Tdist01, "");
  }
}

void Program::TnBH_Click() {
  if (module.EditsEnabled != 1) return;
  module.nBH = value(TnBH) + 1;
  if (module.nBH == 4) module.nBH = 1;
  write(TnBH, numberText(module.nBH));
  module.SetupChanged = 1;
  BHCountSetup(module.nBH);
  RESIZE(1);
}

}  // namespace bhsim
