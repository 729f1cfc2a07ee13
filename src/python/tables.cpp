#include "python/tables.hpp"

#include <algorithm>
#include <charconv>
#include <limits>
#include <stdexcept>

namespace bhsim::python {
namespace {

using namespace pybind11::literals;

template <typename T>
py::array arrayOf(const std::vector<T>& values) {
  return py::array_t<T>(static_cast<py::ssize_t>(values.size()), values.data());
}

// A cell read whole by from_chars (exact, and whatever the locale), or an error naming it.
template <typename T>
T cellValue(std::string_view cell) {
  T value{};
  const auto [end, error] = std::from_chars(cell.data(), cell.data() + cell.size(), value);
  if (error != std::errc() || end != cell.data() + cell.size())
    throw std::runtime_error("a table cell that is not a number: '" + std::string(cell) + "'");
  return value;
}

double numberCell(std::string_view cell) {
  return cell.empty() ? std::numeric_limits<double>::quiet_NaN() : cellValue<double>(cell);
}

// One column's cells, read as its kind says.
py::array columnOf(const std::vector<std::string_view>& cells, ColumnKind kind) {
  if (kind == ColumnKind::Text) {
    py::list texts;
    for (std::string_view cell : cells) texts.append(py::str(cell.data(), cell.size()));
    return py::module_::import("numpy").attr("array")(texts, "dtype"_a = "U");
  }
  const bool anyEmpty = std::any_of(cells.begin(), cells.end(), [](std::string_view c) { return c.empty(); });
  if (kind == ColumnKind::Whole && !anyEmpty) {
    std::vector<std::int64_t> values;
    for (std::string_view cell : cells) values.push_back(cellValue<std::int64_t>(cell));
    return arrayOf(values);
  }
  std::vector<double> values;
  for (std::string_view cell : cells) values.push_back(numberCell(cell));
  return arrayOf(values);
}

// The next part of `text` up to `separator`, which is taken off with it.
std::string_view take(std::string_view& text, char separator) {
  const std::size_t end = std::min(text.find(separator), text.size());
  const std::string_view part = text.substr(0, end);
  text.remove_prefix(std::min(end + 1, text.size()));
  return part;
}

}  // namespace

std::vector<ColumnSpec> columnSpecs(const TableLayout& layout) {
  std::vector<ColumnSpec> specs;
  for (const TableColumn* column : layout) {
    const ColumnKind kind = column->kind == CellKind::Whole    ? ColumnKind::Whole
                            : column->kind == CellKind::Number ? ColumnKind::Number
                                                               : ColumnKind::Text;
    specs.push_back({std::string(column->name), kind});
  }
  return specs;
}

Columns readCsvRows(std::string_view text, const std::vector<ColumnSpec>& specs) {
  std::vector<std::vector<std::string_view>> cells(specs.size());
  while (!text.empty()) {
    std::string_view line = take(text, '\n');
    for (std::vector<std::string_view>& column : cells) column.push_back(take(line, ','));
  }
  Columns columns;
  for (std::size_t c = 0; c < specs.size(); ++c)
    columns.emplace_back(specs[c].name, columnOf(cells[c], specs[c].kind));
  return columns;
}

py::object structuredArray(const Columns& columns) {
  const py::module_ numpy = py::module_::import("numpy");
  py::list fields;
  for (const auto& [name, column] : columns) fields.append(py::make_tuple(name, column.dtype()));
  const py::ssize_t rows = columns.empty() ? 0 : columns.front().second.size();
  py::object array = numpy.attr("empty")(rows, "dtype"_a = fields);
  for (const auto& [name, column] : columns) array[py::str(name)] = column;
  return array;
}

py::object tableObject(const Columns& columns) {
  py::object pandas;
  try {
    pandas = py::module_::import("pandas");
  } catch (const py::error_already_set& error) {
    if (!error.matches(PyExc_ImportError)) throw;
    return structuredArray(columns);
  }
  py::dict data;
  for (const auto& [name, column] : columns) data[py::str(name)] = column;
  return pandas.attr("DataFrame")(data);
}

void TraceRecorder::onDot(int configuration, std::int64_t step, int body, double x, double y) {
  configuration_.push_back(configuration);
  step_.push_back(step);
  body_.push_back(body);
  x_.push_back(x);
  y_.push_back(y);
}

Columns TraceRecorder::columns() const {
  return {{"configuration", arrayOf(configuration_)},
          {"step", arrayOf(step_)},
          {"body", arrayOf(body_)},
          {"x_km", arrayOf(x_)},
          {"y_km", arrayOf(y_)}};
}

void StrainRecorder::onStrainSample(int configuration, const StrainSample& sample) {
  configuration_.push_back(configuration);
  time_.push_back(sample.time);
  plus_.push_back(sample.strain.plus);
  cross_.push_back(sample.strain.cross);
}

Columns StrainRecorder::columns() const {
  return {{"configuration", arrayOf(configuration_)},
          {"t_s", arrayOf(time_)},
          {"h_plus", arrayOf(plus_)},
          {"h_cross", arrayOf(cross_)}};
}

}  // namespace bhsim::python
