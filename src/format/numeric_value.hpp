#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace bhsim {

// The numeric value of a field's text: leading blanks are skipped, then an optional sign, digits with at
// most one decimal point and an optional exponent ("1e3", "1E-3", "1e+3") are taken; reading stops at the
// first character that does not fit. Empty or non-numeric text, and a number too large for a double,
// read as 0, so the result is always finite.
double numericValue(std::string_view text);

// The whole text as a plain decimal number (blanks around it allowed, exponent allowed). Anything else,
// including an empty text or trailing garbage, gives 0; so does a value that is not finite.
double plainDecimalValue(std::string_view text);

// A number given on the command line: the whole text, a decimal number (exponent allowed) with at most
// one sign, "+" or "-", and a finite double; nullopt for anything else (blanks, "inf", "0x10", "+-1").
std::optional<double> argumentNumber(std::string_view text);

// The same for a whole number in the range of a 64-bit integer ("+7", "-3"; not "7.0" nor "1e3").
std::optional<std::int64_t> argumentInteger(std::string_view text);

}  // namespace bhsim
