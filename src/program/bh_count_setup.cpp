#include "format/number_text.hpp"
#include "program/program.hpp"

namespace bhsim {

using enum ControlId;

void Program::BHCountSetup(const double& count) {
  if (count == 1) {
    module.BH10 = 10000;
    module.BH20 = 0;
    module.BH30 = 0;
    write(Tvc, numberText(1));
    write(Tfreq, "");
    module.nrev0 = 1;
    module.Tott0 = 0;
  } else {
    module.BH10 = 36;
    module.BH20 = 29;
    module.BH30 = 5;
    write(Tvc, "");
    write(Tfreq, numberText(33));
    module.nrev0 = 7;
    module.Tott0 = 0.5;
  }
  write(Tnrev0, numberText(module.nrev0));
  write(TTott0, numberText(module.Tott0));
  write(TBH1, generalForm(module.BH10));
  write(TBH2, generalForm(module.BH20));
  write(TBH3, generalForm(module.BH30));
  write(Tnrev, numberText(module.nrev0));
  write(Ttotaltime, numberText(module.Tott0));
  write(Tdist01, "");
  write(Tdist02, "");
  write(Tdist12, "");
  form1.setText(Lnrev, "n rev  ");
  write(Tv0, "0");
  write(Tv1, "0");
  write(Tv2, "0");
}

}  // namespace bhsim
