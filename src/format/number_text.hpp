#pragma once

#include <string>

namespace bhsim {

// The number text of a value: a blank for zero or positive values, "-" for negative ones, then the value
// with up to 15 significant digits and no zero before the decimal point (0.5 gives " .5", 33 gives " 33").
// Magnitudes of 1e15 and more, or below 1e-5, use an exponent form such as " 1.5E+15" or " 2E-06".
std::string numberText(double value);

// The general form: the same digits without the leading blank and with a zero before the decimal point
// for magnitudes below 1 (0.5 gives "0.5", 10000 gives "10000").
std::string generalForm(double value);

// The shortest text that reads back as the same double ("inf", "-inf" and "nan" for the others): the
// full-precision form of tables and traces.
std::string roundTripText(double value);

}  // namespace bhsim
