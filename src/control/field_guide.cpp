#include "control/field_guide.hpp"

#include <array>

namespace bhsim {
namespace {

using enum ControlId;

constexpr std::array<FieldGuide, kTextFieldCount> kGuide = {{
    {BodyCountField, BodyCountLabel, true, "number of black holes (set with --bh)"},
    {TotalTimeField, TotalTimeLabel, true, "simulated seconds to run; 0: no limit"},
    {MaxCountField, MaxCountLabel, true, "integration steps per revolution"},
    {SpeedRatioField, SpeedRatioLabel, true, "orbit by the speed of black hole 2 over c"},
    {RevolutionsField, RevolutionsLabel, true, "revolutions to run; 0: no limit"},
    {Mass1Field, Mass1Label, true, "mass of black hole 1, solar masses"},
    {Mass2Field, Mass2Label, true, "mass of black hole 2, solar masses"},
    {Mass3Field, Mass3Label, true, "mass of black hole 3, solar masses"},
    {MassGain1Field, MassGain1Label, true, "mass black hole 1 gains a revolution, %"},
    {MassGain2Field, MassGain2Label, true, "mass black hole 2 gains a revolution, %"},
    {ViewScaleField, ViewScaleLabel, true, "the view's half-width in orbit radii (3 BH)"},
    {Distance12Field, Distance12Label, true, "orbit by the separation of 1 and 2, km"},
    {FrequencyField, FrequencyLabel, true, "orbit by its frequency, revolutions a second"},
    {AngleMinField, AngleMinLabel, true, "first angle of black hole 3, degrees"},
    {AngleMaxField, AngleMaxLabel, true, "last angle of black hole 3, degrees"},
    {AngleStepField, AngleStepLabel, true, "step of black hole 3's angle, degrees"},
    {SavedTotalTimeField, Count, false, "the total time as the run started"},
    {SavedRevolutionsField, Count, false, "the revolution count as the run started"},
    {OffsetY2Field, Count, false, "y of black hole 2 from the centre of mass, km"},
    {OffsetX2Field, Count, false, "x of black hole 2 from the centre of mass, km"},
    {Speed1Field, Speed1Label, false, "speed of black hole 1, km/s"},
    {Speed2Field, Speed2Label, false, "speed of black hole 2, km/s"},
    {Speed3Field, Speed3Label, false, "speed of black hole 3, km/s"},
    {Distance13Field, Distance13Label, false, "separation of black holes 1 and 3, km"},
    {Distance23Field, Distance23Label, false, "separation of black holes 2 and 3, km"},
    {MinDistance12Field, MinDistanceLabel, false, "least separation of black holes 1 and 2, km"},
    {MinDistance13Field, MinDistanceLabel, false, "least separation of black holes 1 and 3, km"},
    {MinDistance23Field, MinDistanceLabel, false, "least separation of black holes 2 and 3, km"},
    {MaxSpeed1Field, MaxSpeedsLabel, false, "top speed of black hole 1, km/s"},
    {MaxSpeed2Field, MaxSpeedsLabel, false, "top speed of black hole 2, km/s"},
    {MaxSpeed3Field, MaxSpeedsLabel, false, "top speed of black hole 3, km/s"},
    {CentreDistance1Field, CentreDistance1Label, false,
     "distance of black hole 1 from the centre of mass, km"},
    {CentreDistance2Field, CentreDistance2Label, false,
     "distance of black hole 2 from the centre of mass, km"},
    {CentreDistance3Field, CentreDistance3Label, false,
     "distance of black hole 3 from the centre of mass, km"},
    {RevolutionTimeField, RevolutionTimeLabel, false, "time of the last revolution, s"},
    {TimeStepField, TimeStepLabel, false, "the integration step, microseconds"},
    {PhiField, PhiLabel, false, "direction of black hole 2 seen from black hole 1, degrees"},
}};

// Each text field once, each caption a label or none.
constexpr bool everyTextFieldOnce() {
  std::array<int, kControlCount> seen{};
  for (const FieldGuide& guide : kGuide) {
    if (indexOf(guide.field) < indexOf(BodyCountField) || indexOf(guide.field) > indexOf(AngleStepField))
      return false;
    if (guide.caption != Count && indexOf(guide.caption) < indexOf(BodyCountLabel)) return false;
    ++seen[indexOf(guide.field)];
  }
  for (std::size_t i = indexOf(BodyCountField); i <= indexOf(AngleStepField); ++i)
    if (seen[i] != 1) return false;
  return true;
}
static_assert(everyTextFieldOnce(), "the field guide must list every text field once");

}  // namespace

std::span<const FieldGuide> fieldGuide() {
  return kGuide;
}

}  // namespace bhsim
