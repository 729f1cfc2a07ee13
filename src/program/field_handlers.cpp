#include "format/number_text.hpp"
#include "program/program.hpp"

namespace bhsim {

using enum ControlId;

void Program::onMass1Changed() {
  if (!runState.editsEnabled) return;
  const double x = value(Mass1Field);
  if (runState.bodyCount == 1 && x > 0) {
    write(FrequencyField, "");
    write(Distance12Field, "");
  }
}

void Program::onSeparationChanged() {
  if (!runState.editsEnabled) return;
  if (value(Distance12Field) > 0) {
    write(FrequencyField, "");
    write(SpeedRatioField, "");
  }
}

void Program::onFrequencyChanged() {
  if (!runState.editsEnabled) return;
  if (value(FrequencyField) > 0) {
    write(SpeedRatioField, "");
    write(Distance12Field, "");
  }
}

void Program::onSpeedChanged() {
  if (!runState.editsEnabled) return;
  const double x = value(SpeedRatioField);
  const double n = runState.bodyCount;
  if ((n == 1 || n == 2 || n == 3) && x > 0) {
    write(FrequencyField, "");
    write(Distance12Field, "");
  }
}

void Program::onBodyCountClicked() {
  if (!runState.editsEnabled) return;
  runState.bodyCount = value(BodyCountField) + 1;
  if (runState.bodyCount == 4) runState.bodyCount = 1;
  write(BodyCountField, numberText(runState.bodyCount));
  runState.setupChanged = true;
  setUpBodyCount(runState.bodyCount);
  layoutWindows(1);
}

}  // namespace bhsim
