#pragma once

// The table: one CSV row per configuration at full precision. Its columns are listed once, each with its
// name and how its cell is written; the header, the rows, a refused grid point's row and a grid's header
// all come from that list.

#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "program/run_observer.hpp"
#include "sim/gravity_model.hpp"
#include "sim/loop_state.hpp"

namespace bhsim {

// One configuration as its row sees it: its number and angle, its state at the start and at the end, and
// whether "Stop" ended it.
struct ConfigurationOutcome {
  int configuration = 0;
  double angle = 0;
  const LoopState& start;
  const LoopState& end;
  bool stopped = false;
};

// The name of what ended a configuration, as its end_reason cell has it ("stopped" where Stop ended it).
const char* endReasonName(EndReason reason, bool stopped);

// What a table's rows are integrated with, as far as its columns depend on it.
struct TableScope {
  bool relativistic = false;  // a post-Newtonian model in some row
};

// The scope of the rows of a run under `model` (Newtonian when not given).
TableScope tableScopeOf(const std::optional<GravityModel>& model);

// What a column's cells hold, beside being empty: a number, a whole number, or the name of an end.
enum class CellKind : unsigned char { Number, Whole, EndReason };

// One column: its name, the text of its cell in a configuration's row (empty for no value), the text of
// its cell in a refused grid point's row, whether a table over a scope has it (always when null), and
// what its cells hold.
struct TableColumn {
  std::string_view name;
  std::string (*cell)(const ConfigurationOutcome& outcome) = nullptr;
  std::string_view refused = {};
  bool (*present)(const TableScope& scope) = nullptr;
  CellKind kind = CellKind::Number;
};

// Whether `text` is a cell the column could hold: empty, or of its kind.
bool isCellOf(const TableColumn& column, std::string_view text);

// Every column of the table, in order.
std::span<const TableColumn> tableColumns();

// The columns of one table: those of `columns` that a table over its scope has, in their order.
using TableLayout = std::vector<const TableColumn*>;
TableLayout tableLayout(const TableScope& scope, std::span<const TableColumn> columns = tableColumns());

// The names, the cells of a configuration and the cells of a refused point, comma-separated, without a
// line end.
std::string tableHeader(const TableLayout& layout);
std::string tableRow(const TableLayout& layout, const ConfigurationOutcome& outcome);
std::string refusedCells(const TableLayout& layout);

// Writes one row per configuration as it ends, each after `prefix` (a grid point's columns).
class TableWriter : public RunObserver {
 public:
  TableWriter(std::ostream& out, TableLayout layout, std::string prefix = "");
  void onConfigurationStart(int configuration, double angle, const LoopState& state) override;
  void onConfigurationEnd(int configuration, const LoopState& state, bool stopped) override;

 private:
  std::ostream& out_;
  TableLayout layout_;
  std::string prefix_;
  double angle_ = 0;
  LoopState start_;
};

}  // namespace bhsim
