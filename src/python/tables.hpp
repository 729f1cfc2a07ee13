#pragma once

// The tables a run hands Python: its CSV text read back exactly, column by column, and the trace and the
// strain kept as the observer receives them. Each becomes a numpy structured array or a pandas DataFrame.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "batch/table.hpp"
#include "program/run_observer.hpp"

namespace bhsim::python {

namespace py = pybind11;

// What a column of a CSV table holds: whole numbers, numbers or texts.
enum class ColumnKind : unsigned char { Whole, Number, Text };

struct ColumnSpec {
  std::string name;
  ColumnKind kind;
};

// The named columns of one table, each a numpy array of the same length.
using Columns = std::vector<std::pair<std::string, py::array>>;

// The names and kinds of a table's columns.
std::vector<ColumnSpec> columnSpecs(const TableLayout& layout);

// Reads the rows of a CSV text (no header; cells without commas or quotes) into columns of the given
// kinds. Every number cell is read back exactly (the shortest round-trip text of a double gives that
// double); an empty cell is NaN, and makes a column of whole numbers a column of numbers, as pandas
// reads it.
Columns readCsvRows(std::string_view text, const std::vector<ColumnSpec>& specs);

// A pandas DataFrame of the columns where pandas can be imported, otherwise a numpy structured array.
py::object tableObject(const Columns& columns);
// A numpy structured array of the columns.
py::object structuredArray(const Columns& columns);

// Every dot of a run, as the trace's columns: configuration, step, body, x_km, y_km.
class TraceRecorder : public RunObserver {
 public:
  void onDot(int configuration, std::int64_t step, int body, double x, double y) override;
  Columns columns() const;

 private:
  std::vector<std::int64_t> configuration_, step_, body_;
  std::vector<double> x_, y_;
};

// Every strain sample of a run, as the strain's columns: configuration, t_s, h_plus, h_cross.
class StrainRecorder : public RunObserver {
 public:
  void onStrainSample(int configuration, const StrainSample& sample) override;
  Columns columns() const;

 private:
  std::vector<std::int64_t> configuration_;
  std::vector<double> time_, plus_, cross_;
};

}  // namespace bhsim::python
