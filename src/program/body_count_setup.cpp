#include "format/number_text.hpp"
#include "program/program.hpp"

namespace bhsim {

using enum ControlId;

void Program::setUpBodyCount(const double& count) {
  if (count == 1) {
    runState.savedMass1 = 10000;
    runState.savedMass2 = 0;
    runState.savedMass3 = 0;
    write(SpeedRatioField, numberText(1));
    write(FrequencyField, "");
    runState.revolutionLimit = 1;
    runState.timeLimit = 0;
  } else {
    runState.savedMass1 = 36;
    runState.savedMass2 = 29;
    runState.savedMass3 = 5;
    write(SpeedRatioField, "");
    write(FrequencyField, numberText(33));
    runState.revolutionLimit = 7;
    runState.timeLimit = 0.5;
  }
  write(SavedRevolutionsField, numberText(runState.revolutionLimit));
  write(SavedTotalTimeField, numberText(runState.timeLimit));
  write(Mass1Field, generalForm(runState.savedMass1));
  write(Mass2Field, generalForm(runState.savedMass2));
  write(Mass3Field, generalForm(runState.savedMass3));
  write(RevolutionsField, numberText(runState.revolutionLimit));
  write(TotalTimeField, numberText(runState.timeLimit));
  write(Distance12Field, "");
  write(Distance13Field, "");
  write(Distance23Field, "");
  panel.setText(RevolutionsLabel, "n rev  ");
  write(Speed1Field, "0");
  write(Speed2Field, "0");
  write(Speed3Field, "0");
}

}  // namespace bhsim
