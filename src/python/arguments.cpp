#include "python/arguments.hpp"

#include <cmath>

#include "format/number_text.hpp"

namespace bhsim::python {
namespace {

std::string shown(py::handle value) {
  return py::repr(value).cast<std::string>();
}

bool isBool(py::handle value) {
  return py::isinstance<py::bool_>(value) ||
         py::isinstance(value, py::module_::import("numpy").attr("bool_"));
}

// An int, or any whole number Python can use as an index (numpy's integers); not a bool.
bool isInteger(py::handle value) {
  return PyIndex_Check(value.ptr()) != 0 && !isBool(value);
}

// A real number of any kind (numbers.Real: int, float, numpy's); not a bool.
bool isReal(py::handle value) {
  return py::isinstance(value, py::module_::import("numbers").attr("Real")) && !isBool(value);
}

}  // namespace

std::int64_t wholeNumber(py::handle value, const char* name, std::int64_t min, std::int64_t max) {
  const std::string range = " from " + std::to_string(min) + " to " + std::to_string(max);
  if (!isInteger(value)) {
    throw py::type_error(std::string(name) + " must be a whole number" + range + ", not " + shown(value));
  }
  const py::int_ number = py::reinterpret_steal<py::int_>(PyNumber_Index(value.ptr()));
  if (number < py::int_(min) || number > py::int_(max)) {
    throw py::value_error(std::string(name) + " must be a whole number" + range + ", not " + shown(value));
  }
  return number.cast<std::int64_t>();
}

std::optional<std::int64_t> optionalWholeNumber(py::handle value, const char* name, std::int64_t min,
                                                std::int64_t max) {
  if (value.is_none()) return std::nullopt;
  return wholeNumber(value, name, min, max);
}

double realNumber(py::handle value, const char* name, bool positive) {
  const char* what = positive ? " must be a number above 0" : " must be a finite number";
  if (!isReal(value)) throw py::type_error(std::string(name) + what + ", not " + shown(value));
  const double number = py::float_(py::reinterpret_borrow<py::object>(value)).cast<double>();
  if (!std::isfinite(number) || (positive && !(number > 0)))
    throw py::value_error(std::string(name) + what + ", not " + shown(value));
  return number;
}

std::string text(py::handle value, const char* name) {
  if (!py::isinstance<py::str>(value))
    throw py::type_error(std::string(name) + " must be a str, not " + shown(value));
  return value.cast<std::string>();
}

GravityModel gravityModel(py::handle name, const char* argument) {
  const std::string given = text(name, argument);
  const auto model = gravityModelNamed(given);
  if (!model) {
    throw py::value_error(std::string(argument) + ": unknown gravity model '" + given + "'; the models are " +
                          std::string(gravityModelList()));
  }
  return *model;
}

Integrator integrator(py::handle name, const char* argument) {
  const std::string given = text(name, argument);
  const auto found = integratorNamed(given);
  if (!found) {
    throw py::value_error(std::string(argument) + ": unknown integrator '" + given +
                          "'; the integrators are " + integratorList());
  }
  return *found;
}

std::optional<double> tolerance(py::handle value, bool adaptive) {
  if (value.is_none()) return std::nullopt;
  const double given = realNumber(value, "tolerance", true);
  if (!isToleranceInRange(given))
    throw py::value_error("tolerance must be from 1e-10 to 1 (below, the error estimate is rounding)");
  if (!adaptive)
    throw py::value_error(
        "tolerance sets the error per step of an adaptive integrator: it needs one, such as "
        "integrator='ias15'");
  return given;
}

std::string fieldText(py::handle value, const std::string& field) {
  if (py::isinstance<py::str>(value)) return value.cast<std::string>();
  if (isInteger(value))
    return py::str(py::reinterpret_steal<py::int_>(PyNumber_Index(value.ptr()))).cast<std::string>();
  if (isReal(value))
    return roundTripText(py::float_(py::reinterpret_borrow<py::object>(value)).cast<double>());
  throw py::type_error("the value of field " + field + " must be a str, an int or a float, not " +
                       shown(value));
}

ControlId textField(const std::string& name) {
  const auto id = controlByName(name);
  if (!id || controlDesign(*id).kind != ControlKind::TextField)
    throw py::value_error("'" + name + "' is not the name of a text field (such as TBH1, Tfreq, Tmaxcount)");
  return *id;
}

std::vector<std::pair<ControlId, std::string>> fieldSettings(py::handle fields) {
  std::vector<std::pair<ControlId, std::string>> settings;
  if (fields.is_none()) return settings;
  if (!py::isinstance<py::dict>(fields) && !py::hasattr(fields, "items"))
    throw py::type_error("fields must be a mapping of field names to values, not " + shown(fields));
  for (py::handle item : fields.attr("items")()) {
    const py::tuple pair = py::reinterpret_borrow<py::tuple>(item);
    const std::string name = text(pair[0], "a field's name");
    settings.emplace_back(textField(name), fieldText(pair[1], name));
  }
  return settings;
}

}  // namespace bhsim::python
