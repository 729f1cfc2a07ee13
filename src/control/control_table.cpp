#include "control/control_table.hpp"

namespace bhsim {
namespace {

using enum ControlId;
constexpr ControlKind B = ControlKind::Button;
constexpr ControlKind T = ControlKind::TextField;
constexpr ControlKind L = ControlKind::Label;

// Listed in the order of the ControlId enumeration; checked at compile time below.
constexpr std::array<ControlDesign, kControlCount> kTable = {{
    {StartButton, "CommandStart", B, "Start", 120, 240, 855, 495, 0},
    {EndButton, "CommandEnd", B, "End", 1080, 240, 855, 495, 1},
    {GridButton, "Command3", B, "Grid", 5400, 4680, 855, 495, 6},

    {BodyCountField, "TnBH", T, "1", 2520, 360, 495, 375, 28},
    {TotalTimeField, "Ttotaltime", T, "0", 4080, 360, 855, 375, 32},
    {SavedTotalTimeField, "TTott0", T, "0", 5400, 360, 855, 375, 70},
    {MaxCountField, "Tmaxcount", T, "1000000", 1080, 840, 855, 375, 2},
    {SpeedRatioField, "Tvc", T, "1", 2520, 840, 495, 375, 11},
    {RevolutionsField, "Tnrev", T, "7", 4080, 840, 855, 375, 13},
    {SavedRevolutionsField, "Tnrev0", T, "7", 5400, 840, 855, 375, 69},
    {Mass1Field, "TBH1", T, "1", 720, 1320, 855, 375, 4},
    {Mass2Field, "TBH2", T, "0", 2400, 1320, 855, 375, 9},
    {Mass3Field, "TBH3", T, "5", 4080, 1320, 855, 375, 34},
    {OffsetY2Field, "Ty1", T, "0", 5400, 1320, 855, 375, 48},
    {MassGain1Field, "Tdm1", T, "5", 720, 1800, 855, 375, 16},
    {MassGain2Field, "Tdm2", T, "5", 2400, 1800, 855, 375, 26},
    {OffsetX2Field, "Tx1", T, "0", 5400, 1800, 855, 375, 49},
    {Speed1Field, "Tv0", T, "0", 720, 2280, 855, 375, 20},
    {Speed2Field, "Tv1", T, "0", 2400, 2280, 855, 375, 21},
    {Speed3Field, "Tv2", T, "0", 4080, 2280, 855, 375, 52},
    {ViewScaleField, "Txmaxf", T, "2", 6000, 2400, 255, 375, 67},
    {Distance12Field, "Tdist01", T, "", 720, 2760, 855, 375, 23},
    {Distance13Field, "Tdist02", T, "1", 2400, 2760, 855, 375, 36},
    {Distance23Field, "Tdist12", T, "1", 4080, 2760, 855, 375, 37},
    {MinDistance12Field, "Tdist01min", T, "1", 720, 3240, 855, 375, 40},
    {MinDistance13Field, "Tdist02min", T, "1", 2400, 3240, 855, 375, 39},
    {MinDistance23Field, "Tdist12min", T, "1", 4080, 3240, 855, 375, 38},
    {MaxSpeed1Field, "Tv1max", T, "0", 5400, 3240, 855, 375, 63},
    {CentreDistance1Field, "Td1", T, "1", 720, 3720, 855, 375, 45},
    {CentreDistance2Field, "Td2", T, "1", 2400, 3720, 855, 375, 46},
    {CentreDistance3Field, "Td3", T, "1", 4080, 3720, 855, 375, 47},
    {MaxSpeed2Field, "Tv2max", T, "0", 5400, 3720, 855, 375, 64},
    {RevolutionTimeField, "TTrev", T, "1", 720, 4200, 855, 375, 7},
    {FrequencyField, "Tfreq", T, "", 1920, 4200, 735, 375, 30},
    {TimeStepField, "Tdt", T, "1", 3840, 4200, 615, 375, 18},
    {MaxSpeed3Field, "Tv3max", T, "0", 5400, 4200, 855, 375, 65},
    {PhiField, "Tphi", T, "1", 4080, 4680, 855, 375, 60},
    {AngleMinField, "Talphamin", T, "0", 960, 5160, 615, 375, 42},
    {AngleMaxField, "Talphamax", T, "360", 2400, 5160, 855, 375, 41},
    {AngleStepField, "Tdalpha", T, "10", 4080, 5160, 855, 375, 44},

    {BodyCountLabel, "LnBH", L, "# BH", 2040, 360, 615, 255, 29},
    {TotalTimeLabel, "Ltotaltime", L, "Total time", 3240, 360, 735, 255, 33},
    {MaxCountLabel, "Lmaxcount", L, "Max count", 120, 840, 855, 255, 3},
    {SpeedRatioLabel, "Lvc", L, "v/c", 2040, 840, 495, 255, 12},
    {RevolutionsLabel, "Lnrev", L, "n rev", 3240, 840, 735, 255, 14},
    {Mass1Label, "LBH1", L, "BH 1", 120, 1360, 495, 255, 5},
    {Mass2Label, "LBH2", L, "BH 2", 1920, 1360, 375, 255, 10},
    {Mass3Label, "LBH3", L, "BH 3", 3480, 1320, 375, 255, 35},
    {MassGain1Label, "Ldm1", L, "dm1 %", 0, 1800, 615, 255, 17},
    {MassGain2Label, "Ldm2", L, "dm2 %", 1680, 1800, 615, 255, 27},
    {Speed1Label, "Lv0", L, "v1", 120, 2280, 375, 255, 50},
    {Speed2Label, "Lv1", L, "v2", 1800, 2280, 375, 255, 22},
    {Speed3Label, "Lv2", L, "v3", 3480, 2280, 375, 255, 53},
    {ViewScaleLabel, "Lxmaxf", L, "xmaxf", 5520, 2400, 615, 255, 68},
    {Distance12Label, "Ldist01", L, "dist12", 120, 2760, 495, 255, 15},
    {Distance13Label, "Ldist02", L, "dist13", 1800, 2760, 495, 255, 54},
    {Distance23Label, "Ldist12", L, "dist23", 3360, 2760, 495, 255, 55},
    {MaxSpeedsLabel, "Label1", L, "v1 v2 v3 max", 5280, 2880, 975, 255, 66},
    {MinDistanceLabel, "Ldistmin", L, "dist min", 0, 3240, 615, 255, 62},
    {CentreDistance1Label, "Lr1", L, "r1", 120, 3720, 375, 255, 51},
    {CentreDistance2Label, "Lr2", L, "r2", 1800, 3720, 375, 255, 56},
    {CentreDistance3Label, "Lr3", L, "r3", 3480, 3720, 375, 255, 57},
    {RevolutionTimeLabel, "LTrev", L, "Rev time", 0, 4200, 735, 255, 8},
    {FrequencyLabel, "Lfreq", L, "f", 1680, 4200, 255, 255, 24},
    {HertzLabel, "LHz", L, "Hz", 2760, 4200, 375, 255, 31},
    {TimeStepLabel, "Ldt", L, "delta t", 3300, 4200, 495, 255, 19},
    {TimeStepUnitLabel, "L106", L, "10^6", 4560, 4200, 375, 255, 25},
    {PhiLabel, "Lphi", L, "Phi", 3480, 4680, 495, 255, 61},
    {AngleMinLabel, "Lalphamin", L, "alpha   min", 0, 5160, 855, 255, 43},
    {AngleMaxLabel, "Lalphamax", L, "max", 1800, 5160, 495, 255, 58},
    {AngleStepLabel, "Ldalpha", L, "delta", 3480, 5160, 375, 255, 59},
}};

constexpr bool tableInEnumOrder() {
  for (std::size_t i = 0; i < kTable.size(); ++i) {
    if (indexOf(kTable[i].id) != i) return false;
  }
  return true;
}
static_assert(tableInEnumOrder(), "control table out of enumeration order");

constexpr std::size_t countOf(ControlKind kind) {
  std::size_t count = 0;
  for (const ControlDesign& design : kTable) count += design.kind == kind ? 1 : 0;
  return count;
}
static_assert(countOf(ControlKind::TextField) == kTextFieldCount &&
                  countOf(ControlKind::Label) == kLabelCount && countOf(ControlKind::Button) == kButtonCount,
              "control table's kinds differ from their counts");

}  // namespace

const std::array<ControlDesign, kControlCount>& controlTable() {
  return kTable;
}

const ControlDesign& controlDesign(ControlId id) {
  return kTable[indexOf(id)];
}

std::optional<ControlId> controlByName(std::string_view name) {
  for (const ControlDesign& design : kTable) {
    if (design.name == name) return design.id;
  }
  return std::nullopt;
}

}  // namespace bhsim
