#pragma once

// The checks of the arguments Python passes in: each bad one raises ValueError or TypeError naming it.

#include <pybind11/pybind11.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "control/control_table.hpp"
#include "sim/gravity_model.hpp"
#include "sim/integrator.hpp"

namespace bhsim::python {

namespace py = pybind11;

// A whole number from `min` to `max` (a Python int, not a bool); TypeError or ValueError naming `name`.
std::int64_t wholeNumber(py::handle value, const char* name, std::int64_t min, std::int64_t max);
// The same, or nothing for None.
std::optional<std::int64_t> optionalWholeNumber(py::handle value, const char* name, std::int64_t min,
                                                std::int64_t max);
// A finite real number (an int or a float, not a bool), above 0 when `positive`.
double realNumber(py::handle value, const char* name, bool positive);
// A str.
std::string text(py::handle value, const char* name);

// The law of gravity of a name as the command line takes it; ValueError listing the models.
GravityModel gravityModel(py::handle name, const char* argument);
// The integrator of a name as the command line takes it; ValueError listing the integrators.
Integrator integrator(py::handle name, const char* argument);
// An adaptive integrator's tolerance (--tolerance), or nothing for None: from 1e-10 to 1, with an
// adaptive integrator to set (`adaptive`); ValueError otherwise.
std::optional<double> tolerance(py::handle value, bool adaptive);

// The text typed into a field for a value: a str as it is, an int in decimal, a float as its shortest
// round-trip text (as a grid types its values).
std::string fieldText(py::handle value, const std::string& field);
// The text field of a name; ValueError for any other name.
ControlId textField(const std::string& name);
// FIELD=TEXT settings from a mapping of field names to values, in its order (none for None).
std::vector<std::pair<ControlId, std::string>> fieldSettings(py::handle fields);

}  // namespace bhsim::python
