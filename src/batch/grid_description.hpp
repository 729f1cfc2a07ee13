#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "batch/batch_options.hpp"
#include "batch/grid.hpp"

namespace bhsim {

// What a grid is, written beside each of its outputs as `OUTPUT.grid.json` so that the table itself stays
// plain CSV: the program and its version, the settings every point shares (--bh, --refresh-every,
// --max-steps, the FIELD=TEXT settings), the sweeps as given, the number of points, the shard (for a
// shard only) and the table's columns.
nlohmann::ordered_json gridDescription(const BatchOptions& options);

// The description's file beside `output`.
std::string descriptionPath(const std::string& output);

// The description as written: indented JSON and a line end.
std::string descriptionText(const nlohmann::ordered_json& description);

// Whether a grid's table has the remnant's columns: some point runs under a post-Newtonian model, the
// grid's `gravity` or a gravity sweep's.
bool gridHasRemnantColumns(const Grid& grid, std::optional<GravityModel> gravity);

// The header row of a grid's table: point, one column per swept field, the table's columns (and the
// remnant's, as gridHasRemnantColumns says).
std::string gridTableHeader(const Grid& grid, std::optional<GravityModel> gravity);

// The grid of a description; nullopt with a one-line `error` when it names none.
std::optional<Grid> gridOfDescription(const nlohmann::ordered_json& description, std::string& error);

}  // namespace bhsim
