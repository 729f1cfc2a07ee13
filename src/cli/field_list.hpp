#pragma once

#include <string>

namespace bhsim {

// The usage text's list of the fields a FIELD=TEXT setting can type into: each text field's name, the
// caption it sits under, its text after the start-up of one, two and three black holes (the defaults of
// --bh 1 to 3), and what it means; the fields a run reads first.
std::string fieldListText();

}  // namespace bhsim
