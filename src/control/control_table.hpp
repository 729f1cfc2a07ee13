#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace bhsim {

// Every control of the control window, by its name.
enum class ControlId : unsigned char {
  // buttons
  CommandStart,
  CommandEnd,
  Command3,
  // text fields
  TnBH,
  Ttotaltime,
  TTott0,
  Tmaxcount,
  Tvc,
  Tnrev,
  Tnrev0,
  TBH1,
  TBH2,
  TBH3,
  Ty1,
  Tdm1,
  Tdm2,
  Tx1,
  Tv0,
  Tv1,
  Tv2,
  Txmaxf,
  Tdist01,
  Tdist02,
  Tdist12,
  Tdist01min,
  Tdist02min,
  Tdist12min,
  Tv1max,
  Td1,
  Td2,
  Td3,
  Tv2max,
  TTrev,
  Tfreq,
  Tdt,
  Tv3max,
  Tphi,
  Talphamin,
  Talphamax,
  Tdalpha,
  // labels
  LnBH,
  Ltotaltime,
  Lmaxcount,
  Lvc,
  Lnrev,
  LBH1,
  LBH2,
  LBH3,
  Ldm1,
  Ldm2,
  Lv0,
  Lv1,
  Lv2,
  Lxmaxf,
  Ldist01,
  Ldist02,
  Ldist12,
  Label1,
  Ldistmin,
  Lr1,
  Lr2,
  Lr3,
  LTrev,
  Lfreq,
  LHz,
  Ldt,
  L106,
  Lphi,
  Lalphamin,
  Lalphamax,
  Ldalpha,
  Count
};

enum class ControlKind : unsigned char { Button, TextField, Label };

// Design-time properties of one control; geometry in twips.
struct ControlDesign {
  ControlId id;
  std::string_view name;
  ControlKind kind;
  std::string_view text;  // default text of a field, caption of a label or button
  int left;
  int top;
  int width;
  int height;
  int tabIndex;
};

inline constexpr std::size_t kControlCount = static_cast<std::size_t>(ControlId::Count);
inline constexpr std::size_t kTextFieldCount = 37;
inline constexpr std::size_t kLabelCount = 31;
inline constexpr std::size_t kButtonCount = 3;

const std::array<ControlDesign, kControlCount>& controlTable();
const ControlDesign& controlDesign(ControlId id);
std::optional<ControlId> controlByName(std::string_view name);

inline constexpr std::size_t indexOf(ControlId id) {
  return static_cast<std::size_t>(id);
}

}  // namespace bhsim
