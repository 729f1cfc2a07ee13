#include "program/program.hpp"

#include "display/resize.hpp"
#include "format/numeric_value.hpp"
#include "sim/direction_angle.hpp"

namespace bhsim {

using enum ControlId;

Program::Program(Platform& platform) : platform(platform) {
  form1.setEvents(this);
}

Program::~Program() {
  form1.setEvents(nullptr);
}

void DirectionAngle(const Module1& module, double& angle) {
  directionAngle(module.x0, module.y0, module.x1, module.y1, module.Pi, angle);
}

double Program::value(ControlId id) const {
  return numericValue(form1.text(id));
}

void Program::RESIZE(double aspect) {
  bhsim::RESIZE(aspect, form2, form1, module);
}

void Program::Form_Load() {
  WindowGeometry geometry = form1.geometry();
  geometry.top = 0;
  geometry.left = 0;
  geometry.height = 5190;
  geometry.width = 5145;
  form1.setGeometry(geometry);
  form2.show();
  form2.setLeft(geometry.width);
  form2.setTop(0);
  form1.setVisible(Command3, false);
  module.EditsEnabled = 1;
  module.nBH = value(TnBH);
  BHCountSetup(module.nBH);
  RESIZE(1);
  const struct {
    int row;
    std::initializer_list<ControlId> labels;
  } rows[] = {
      {360, {LnBH, Ltotaltime}}, {840, {Lmaxcount, Lvc, Lnrev}}, {1320, {LBH1, LBH2, LBH3}},
      {2280, {Lv0, Lv1, Lv2}},   {3720, {Lr1, Lr2, Lr3}},        {4200, {LTrev, Lfreq, LHz, Ldt, L106}},
  };
  for (const auto& row : rows) {
    for (ControlId label : row.labels) form1.setTop(label, row.row + 40);
  }
}

void Program::onChange(ControlId id) {
  switch (id) {
    case Talphamax:
    case Talphamin:
    case Tmaxcount:
    case Tnrev:
      module.SetupChanged = 1;
      break;
    case TBH1:
      TBH1_Change();
      break;
    case Tdist01:
      Tdist01_Change();
      break;
    case Tfreq:
      Tfreq_Change();
      break;
    case Tvc:
      Tvc_Change();
      break;
    default:
      break;
  }
}

void Program::onClick(ControlId id) {
  switch (id) {
    case TBH1:
    case TBH2:
    case TBH3:
    case Tdist01:
    case Tdm1:
    case Tdm2:
    case Tfreq:
    case Tvc:
      module.SetupChanged = 1;
      break;
    case TnBH:
      TnBH_Click();
      break;
    case CommandStart:
      CommandStart_Click();
      break;
    case CommandEnd:
      CommandEnd_Click();
      break;
    case Command3:
      Command3_Click();
      break;
    default:
      break;
  }
}

}  // namespace bhsim
