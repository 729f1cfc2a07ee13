#include "program/program.hpp"

#include "display/window_layout.hpp"
#include "format/numeric_value.hpp"
#include "sim/direction_angle.hpp"

namespace bhsim {

using enum ControlId;

Program::Program(Platform& runsOn) : platform(runsOn) {
  panel.setEvents(this);
}

Program::~Program() {
  panel.setEvents(nullptr);
}

void pairDirection(const RunState& runState, double& angle) {
  directionAngle(runState.x1, runState.y1, runState.x2, runState.y2, angle);
}

double Program::value(ControlId id) const {
  return numericValue(panel.text(id));
}

void Program::layoutWindows(double aspect) {
  bhsim::layoutWindows(aspect, display, panel, runState);
}

void Program::load() {
  WindowGeometry geometry = panel.geometry();
  geometry.top = 0;
  geometry.left = 0;
  geometry.height = 5190;
  geometry.width = 5145;
  panel.setGeometry(geometry);
  display.show();
  display.setLeft(geometry.width);
  display.setTop(0);
  panel.setVisible(GridButton, false);
  runState.editsEnabled = true;
  runState.bodyCount = value(BodyCountField);
  setUpBodyCount(runState.bodyCount);
  layoutWindows(1);
  const struct {
    int row;
    std::initializer_list<ControlId> labels;
  } rows[] = {
      {360, {BodyCountLabel, TotalTimeLabel}},
      {840, {MaxCountLabel, SpeedRatioLabel, RevolutionsLabel}},
      {1320, {Mass1Label, Mass2Label, Mass3Label}},
      {2280, {Speed1Label, Speed2Label, Speed3Label}},
      {3720, {CentreDistance1Label, CentreDistance2Label, CentreDistance3Label}},
      {4200, {RevolutionTimeLabel, FrequencyLabel, HertzLabel, TimeStepLabel, TimeStepUnitLabel}},
  };
  for (const auto& row : rows) {
    for (ControlId label : row.labels) panel.setTop(label, row.row + 40);
  }
}

void Program::onChange(ControlId id) {
  switch (id) {
    case AngleMaxField:
    case AngleMinField:
    case MaxCountField:
    case RevolutionsField:
      runState.setupChanged = true;
      break;
    case Mass1Field:
      onMass1Changed();
      break;
    case Distance12Field:
      onSeparationChanged();
      break;
    case FrequencyField:
      onFrequencyChanged();
      break;
    case SpeedRatioField:
      onSpeedChanged();
      break;
    default:
      break;
  }
}

void Program::onClick(ControlId id) {
  switch (id) {
    case Mass1Field:
    case Mass2Field:
    case Mass3Field:
    case Distance12Field:
    case MassGain1Field:
    case MassGain2Field:
    case FrequencyField:
    case SpeedRatioField:
      runState.setupChanged = true;
      break;
    case BodyCountField:
      onBodyCountClicked();
      break;
    case StartButton:
      onStartClicked();
      break;
    case EndButton:
      onEndClicked();
      break;
    case GridButton:
      drawTestPattern();
      break;
    default:
      break;
  }
}

}  // namespace bhsim
