#pragma once

#include <span>
#include <string_view>

#include "control/control_table.hpp"

namespace bhsim {

// What a text field is to a user who types into it: the label it sits under (or beside), whether a run
// reads it, and what it means.
struct FieldGuide {
  ControlId field;
  ControlId caption;  // the label that names it on the control window; ControlId::Count: none
  bool read;          // a run reads it; the others only show what the run writes
  std::string_view meaning;
};

// Every text field, those a run reads first, each in the order of the control window.
std::span<const FieldGuide> fieldGuide();

}  // namespace bhsim
