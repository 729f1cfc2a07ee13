#pragma once

#include <string>

namespace bhsim {

// Appends `inx` formatted by the digit mask `mask` (for example "###.###") to `out`. The last "." or ","
// of the mask splits integer positions from decimal places; the integer part is padded with blanks (at
// most 20), the decimals are cut, never rounded, and padded with zeros (at most 9). A value too wide for
// the mask gives up decimal places first and then simply comes out longer.
//
// Negative values are written as their magnitude with "-" before the digits; values that are not finite
// are written as 0.
void formatWithMask(double inx, const std::string& mask, std::string& out);

}  // namespace bhsim
