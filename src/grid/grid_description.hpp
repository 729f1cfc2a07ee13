#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "batch/table.hpp"
#include "grid/grid.hpp"
#include "grid/grid_options.hpp"

namespace bhsim {

// What a grid is, written beside each of its outputs as `OUTPUT.grid.json` so that the table itself stays
// plain CSV: the program and its version, the settings every point shares (--bh, --refresh-every,
// --max-steps, the FIELD=TEXT settings), the axes as given, the number of points, the shard (for a
// shard only) and the table's columns.
nlohmann::ordered_json gridDescription(const GridOptions& options);

// The description's file beside `output`.
std::string descriptionPath(const std::string& output);

// The description as written: indented JSON and a line end.
std::string descriptionText(const nlohmann::ordered_json& description);

// The scope of a grid's rows: those of `model` (the one every point shares, when given) and of the
// models of a gravity axis.
TableScope gridTableScope(const std::optional<GravityModel>& model, const Grid& grid);

// The columns of a grid's rows after the point's own.
TableLayout gridTableLayout(const std::optional<GravityModel>& model, const Grid& grid);

// The header row of a grid's table: point, one column per axis, the table's columns.
std::string gridTableHeader(const Grid& grid, const TableLayout& layout);

// The grid of a description; nullopt with a one-line `error` when it names none.
std::optional<Grid> gridOfDescription(const nlohmann::ordered_json& description, std::string& error);

// The model every point of a described grid shares, when it names one.
std::optional<GravityModel> gravityOfDescription(const nlohmann::ordered_json& description);

}  // namespace bhsim
