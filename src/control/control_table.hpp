#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace bhsim {

// Every control of the control window, by its name.
enum class ControlId : unsigned char {
  // buttons
  StartButton,
  EndButton,
  GridButton,
  // text fields
  BodyCountField,
  TotalTimeField,
  SavedTotalTimeField,
  MaxCountField,
  SpeedRatioField,
  RevolutionsField,
  SavedRevolutionsField,
  Mass1Field,
  Mass2Field,
  Mass3Field,
  OffsetY2Field,
  MassGain1Field,
  MassGain2Field,
  OffsetX2Field,
  Speed1Field,
  Speed2Field,
  Speed3Field,
  ViewScaleField,
  Distance12Field,
  Distance13Field,
  Distance23Field,
  MinDistance12Field,
  MinDistance13Field,
  MinDistance23Field,
  MaxSpeed1Field,
  CentreDistance1Field,
  CentreDistance2Field,
  CentreDistance3Field,
  MaxSpeed2Field,
  RevolutionTimeField,
  FrequencyField,
  TimeStepField,
  MaxSpeed3Field,
  PhiField,
  AngleMinField,
  AngleMaxField,
  AngleStepField,
  // labels
  BodyCountLabel,
  TotalTimeLabel,
  MaxCountLabel,
  SpeedRatioLabel,
  RevolutionsLabel,
  Mass1Label,
  Mass2Label,
  Mass3Label,
  MassGain1Label,
  MassGain2Label,
  Speed1Label,
  Speed2Label,
  Speed3Label,
  ViewScaleLabel,
  Distance12Label,
  Distance13Label,
  Distance23Label,
  MaxSpeedsLabel,
  MinDistanceLabel,
  CentreDistance1Label,
  CentreDistance2Label,
  CentreDistance3Label,
  RevolutionTimeLabel,
  FrequencyLabel,
  HertzLabel,
  TimeStepLabel,
  TimeStepUnitLabel,
  PhiLabel,
  AngleMinLabel,
  AngleMaxLabel,
  AngleStepLabel,
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
