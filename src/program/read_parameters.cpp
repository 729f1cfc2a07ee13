#include "program/read_parameters.hpp"

#include "control/control_panel.hpp"
#include "format/numeric_value.hpp"

namespace bhsim {

RunParameters readParameters(const ControlPanel& panel, double bodyCount) {
  using enum ControlId;
  const auto value = [&panel](ControlId id) { return numericValue(panel.text(id)); };
  RunParameters p;
  p.stepsPerRevolution = value(MaxCountField);
  p.vc = value(SpeedRatioField);
  p.dm1 = value(MassGain1Field) / 100;
  p.dm2 = value(MassGain2Field) / 100;
  p.f = value(FrequencyField);
  p.dist = plainDecimalValue(panel.text(Distance12Field));
  p.xmaxf = value(ViewScaleField);
  p.BH1 = value(Mass1Field);
  p.BH2 = value(Mass2Field);
  p.BH3 = value(Mass3Field);
  p.alphamin = value(AngleMinField);
  p.dalpha = value(AngleStepField);
  p.dalphaRead = p.dalpha;
  p.alphamax = value(AngleMaxField);
  if (p.alphamax <= p.alphamin) {
    p.dalpha = 0;
    p.nalpha = 1;
    p.dalphaZeroed = true;
  } else {
    p.nalpha = 1 + (p.alphamax - p.alphamin) / p.dalpha;
  }
  if (bodyCount != 3) p.nalpha = 1;
  p.timeLimit = value(TotalTimeField);
  p.revolutionLimit = value(RevolutionsField);
  return p;
}

}  // namespace bhsim
