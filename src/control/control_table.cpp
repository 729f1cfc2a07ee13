#include "control/control_table.hpp"

namespace bhsim {
namespace {

using enum ControlId;
constexpr ControlKind B = ControlKind::Button;
constexpr ControlKind T = ControlKind::TextField;
constexpr ControlKind L = ControlKind::Label;

// Listed in the order of the ControlId enumeration; checked at compile time below.
constexpr std::array<ControlDesign, kControlCount> kTable = {{
    {CommandStart, "CommandStart", B, "Start", 120, 240, 855, 495, 0},
    {CommandEnd, "CommandEnd", B, "End", 1080, 240, 855, 495, 1},
    {Command3, "Command3", B, "Grid", 5400, 4680, 855, 495, 6},

    {TnBH, "TnBH", T, "1", 2520, 360, 495, 375, 28},
    {Ttotaltime, "Ttotaltime", T, "0", 4080, 360, 855, 375, 32},
    {TTott0, "TTott0", T, "0", 5400, 360, 855, 375, 70},
    {Tmaxcount, "Tmaxcount", T, "1000000", 1080, 840, 855, 375, 2},
    {Tvc, "Tvc", T, "1", 2520, 840, 495, 375, 11},
    {Tnrev, "Tnrev", T, "7", 4080, 840, 855, 375, 13},
    {Tnrev0, "Tnrev0", T, "7", 5400, 840, 855, 375, 69},
    {TBH1, "TBH1", T, "1", 720, 1320, 855, 375, 4},
    {TBH2, "TBH2", T, "0", 2400, 1320, 855, 375, 9},
    {TBH3, "TBH3", T, "5", 4080, 1320, 855, 375, 34},
    {Ty1, "Ty1", T, "0", 5400, 1320, 855, 375, 48},
    {Tdm1, "Tdm1", T, "5", 720, 1800, 855, 375, 16},
    {Tdm2, "Tdm2", T, "5", 2400, 1800, 855, 375, 26},
    {Tx1, "Tx1", T, "0", 5400, 1800, 855, 375, 49},
    {Tv0, "Tv0", T, "0", 720, 2280, 855, 375, 20},
    {Tv1, "Tv1", T, "0", 2400, 2280, 855, 375, 21},
    {Tv2, "Tv2", T, "0", 4080, 2280, 855, 375, 52},
    {Txmaxf, "Txmaxf", T, "2", 6000, 2400, 255, 375, 67},
    {Tdist01, "Tdist01", T, "", 720, 2760, 855, 375, 23},
    {Tdist02, "Tdist02", T, "1", 2400, 2760, 855, 375, 36},
    {Tdist12, "Tdist12", T, "1", 4080, 2760, 855, 375, 37},
    {Tdist01min, "Tdist01min", T, "1", 720, 3240, 855, 375, 40},
    {Tdist02min, "Tdist02min", T, "1", 2400, 3240, 855, 375, 39},
    {Tdist12min, "Tdist12min", T, "1", 4080, 3240, 855, 375, 38},
    {Tv1max, "Tv1max", T, "0", 5400, 3240, 855, 375, 63},
    {Td1, "Td1", T, "1", 720, 3720, 855, 375, 45},
    {Td2, "Td2", T, "1", 2400, 3720, 855, 375, 46},
    {Td3, "Td3", T, "1", 4080, 3720, 855, 375, 47},
    {Tv2max, "Tv2max", T, "0", 5400, 3720, 855, 375, 64},
    {TTrev, "TTrev", T, "1", 720, 4200, 855, 375, 7},
    {Tfreq, "Tfreq", T, "", 1920, 4200, 735, 375, 30},
    {Tdt, "Tdt", T, "1", 3840, 4200, 615, 375, 18},
    {Tv3max, "Tv3max", T, "0", 5400, 4200, 855, 375, 65},
    {Tphi, "Tphi", T, "1", 4080, 4680, 855, 375, 60},
    {Talphamin, "Talphamin", T, "0", 960, 5160, 615, 375, 42},
    {Talphamax, "Talphamax", T, "360", 2400, 5160, 855, 375, 41},
    {Tdalpha, "Tdalpha", T, "10", 4080, 5160, 855, 375, 44},

    {LnBH, "LnBH", L, "# BH", 2040, 360, 615, 255, 29},
    {Ltotaltime, "Ltotaltime", L, "Total time", 3240, 360, 735, 255, 33},
    {Lmaxcount, "Lmaxcount", L, "Max count", 120, 840, 855, 255, 3},
    {Lvc, "Lvc", L, "v/c", 2040, 840, 495, 255, 12},
    {Lnrev, "Lnrev", L, "n rev", 3240, 840, 735, 255, 14},
    {LBH1, "LBH1", L, "BH 1", 120, 1360, 495, 255, 5},
    {LBH2, "LBH2", L, "BH 2", 1920, 1360, 375, 255, 10},
    {LBH3, "LBH3", L, "BH 3", 3480, 1320, 375, 255, 35},
    {Ldm1, "Ldm1", L, "dm1 %", 0, 1800, 615, 255, 17},
    {Ldm2, "Ldm2", L, "dm2 %", 1680, 1800, 615, 255, 27},
    {Lv0, "Lv0", L, "v1", 120, 2280, 375, 255, 50},
    {Lv1, "Lv1", L, "v2", 1800, 2280, 375, 255, 22},
    {Lv2, "Lv2", L, "v3", 3480, 2280, 375, 255, 53},
    {Lxmaxf, "Lxmaxf", L, "xmaxf", 5520, 2400, 615, 255, 68},
    {Ldist01, "Ldist01", L, "dist12", 120, 2760, 495, 255, 15},
    {Ldist02, "Ldist02", L, "dist13", 1800, 2760, 495, 255, 54},
    {Ldist12, "Ldist12", L, "dist23", 3360, 2760, 495, 255, 55},
    {Label1, "Label1", L, "v1 v2 v3 max", 5280, 2880, 975, 255, 66},
    {Ldistmin, "Ldistmin", L, "dist min", 0, 3240, 615, 255, 62},
    {Lr1, "Lr1", L, "r1", 120, 3720, 375, 255, 51},
    {Lr2, "Lr2", L, "r2", 1800, 3720, 375, 255, 56},
    {Lr3, "Lr3", L, "r3", 3480, 3720, 375, 255, 57},
    {LTrev, "LTrev", L, "Rev time", 0, 4200, 735, 255, 8},
    {Lfreq, "Lfreq", L, "f", 1680, 4200, 255, 255, 24},
    {LHz, "LHz", L, "Hz", 2760, 4200, 375, 255, 31},
    {Ldt, "Ldt", L, "delta t", 3300, 4200, 495, 255, 19},
    {L106, "L106", L, "10^6", 4560, 4200, 375, 255, 25},
    {Lphi, "Lphi", L, "Phi", 3480, 4680, 495, 255, 61},
    {Lalphamin, "Lalphamin", L, "alpha   min", 0, 5160, 855, 255, 43},
    {Lalphamax, "Lalphamax", L, "max", 1800, 5160, 495, 255, 58},
    {Ldalpha, "Ldalpha", L, "delta", 3480, 5160, 375, 255, 59},
}};

constexpr bool tableInEnumOrder() {
  for (std::size_t i = 0; i < kTable.size(); ++i) {
    if (indexOf(kTable[i].id) != i) return false;
  }
  return true;
}
static_assert(tableInEnumOrder(), "control table out of enumeration order");

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
