#include "display/window_layout.hpp"

#include <cmath>
#include <initializer_list>

#include "control/control_panel.hpp"
#include "display/display.hpp"
#include "state/run_state.hpp"

namespace bhsim {
namespace {

using enum ControlId;

void setVisible(ControlPanel& panel, std::initializer_list<ControlId> ids, bool visible) {
  for (ControlId id : ids) panel.setVisible(id, visible);
}

void layoutOne(ControlPanel& panel) {
  setVisible(panel, {Mass2Label,           Mass2Field,         Mass3Label,         Mass3Field,
                     MassGain1Label,       MassGain2Label,     MassGain1Field,     MassGain2Field,
                     Distance13Field,      Distance23Field,    Distance13Label,    Distance23Label,
                     MinDistance12Field,   MinDistance13Field, MinDistance23Field, CentreDistance3Field,
                     CentreDistance3Label, AngleMinLabel,      AngleMinField,      AngleMaxLabel,
                     AngleMaxField,        AngleStepLabel,     AngleStepField,     MinDistanceLabel,
                     Speed3Field,          Speed3Label},
             false);
  setVisible(panel, {PhiLabel, PhiField}, true);
  panel.setTop(PhiLabel, 1800);
  panel.setTop(PhiField, 1800);
}

void layoutThree(ControlPanel& panel) {
  panel.setTop(Mass3Label, 1320);
  setVisible(panel, {Mass3Label, Mass3Field}, true);
  panel.setTop(Mass3Field, 1320);
  setVisible(panel,
             {Distance13Field, Distance23Field, Distance13Label, Distance23Label, MinDistanceLabel,
              MinDistance12Field, MinDistance13Field, MinDistance23Field, CentreDistance3Field,
              CentreDistance3Label, Speed3Field, Speed3Label, AngleMinLabel, AngleMinField, AngleMaxLabel,
              AngleMaxField, AngleStepLabel, AngleStepField},
             true);
  setVisible(panel, {MassGain1Field, MassGain1Label, MassGain2Field, MassGain2Label, PhiLabel, PhiField},
             false);
  for (ControlId id : {AngleMinLabel, AngleMinField, AngleMaxLabel, AngleMaxField, AngleStepLabel,
                       AngleStepField, PhiLabel, PhiField}) {
    panel.setTop(id, 1800);
  }
}

void layoutTwoOrMore(double bodyCount, ControlPanel& panel) {
  setVisible(panel,
             {Mass2Label, Mass2Field, MassGain1Label, MassGain2Label, MassGain1Field, MassGain2Field,
              Distance12Field},
             true);
  setVisible(panel,
             {Distance13Field, Distance23Field, MinDistanceLabel, MinDistance12Field, MinDistance13Field,
              MinDistance23Field, Mass3Field, Mass3Label, Speed3Field, Speed3Label},
             false);
  for (ControlId id : {MinDistance12Field, MinDistance13Field, MinDistance23Field, CentreDistance1Field,
                       CentreDistance2Field, CentreDistance3Field})
    panel.setText(id, "");
  if (bodyCount == 3) layoutThree(panel);
}

}  // namespace

void layoutForBodyCount(double bodyCount, ControlPanel& panel) {
  panel.setText(PhiField, "");
  if (bodyCount == 1) {
    layoutOne(panel);
  } else {
    layoutTwoOrMore(bodyCount, panel);
  }
}

void layoutWindows(double aspect, Display& display, ControlPanel& panel, RunState& runState) {
  const float a = display.Width() - Display::kFrameWidth;
  const float b = display.Height() - Display::kFrameHeight;
  const float t = static_cast<float>(aspect) * a * b * 3.0f / 4.0f;
  const double w = std::floor(std::sqrt(static_cast<double>(t)));
  const double h = std::floor((4 * w / 3) / aspect);
  display.setWidth(static_cast<float>(w + Display::kFrameWidth));
  display.setHeight(static_cast<float>(h + Display::kFrameHeight));
  runState.lastPixelColumn = static_cast<std::int32_t>(display.ScaleWidth() - 1);
  runState.lastPixelRow = static_cast<std::int32_t>(display.ScaleHeight() - 1);
  layoutForBodyCount(runState.bodyCount, panel);
}

}  // namespace bhsim
