#include "grid/grid_description.hpp"

#include "batch/batch_output.hpp"
#include "bhsim_version.hpp"

namespace bhsim {

nlohmann::ordered_json gridDescription(const GridOptions& options) {
  const BatchOptions& point = options.point;
  const Grid grid(options.axes);
  nlohmann::ordered_json fields = nlohmann::ordered_json::array();
  for (const auto& [id, text] : point.fields)
    fields.push_back(std::string(controlDesign(id).name) + "=" + text);
  nlohmann::ordered_json sweeps = nlohmann::ordered_json::array();
  for (const GridAxis& axis : grid.axes()) sweeps.push_back(axis.given);
  nlohmann::ordered_json description = {
      {"program", "bhsim"},
      {"version", kBhsimVersion},
      {"bh", point.bodyCount},
      {"refresh_every", point.refreshEvery > 0 ? nlohmann::ordered_json(point.refreshEvery) : nullptr},
      {"max_steps", point.maxSteps ? nlohmann::ordered_json(*point.maxSteps) : nullptr},
      {"fields", fields},
      {"sweeps", sweeps},
      {"points", grid.size()}};
  if (point.gravity) description["gravity"] = std::string(gravityModelName(*point.gravity));
  if (point.integrator) description["integrator"] = std::string(integratorName(*point.integrator));
  if (point.tolerance) description["tolerance"] = *point.tolerance;
  if (options.shardCount > 1)
    description["shard"] = std::to_string(options.shardIndex) + "/" + std::to_string(options.shardCount);
  description["columns"] = split(gridTableHeader(grid, gridTableLayout(point.gravity, grid)), ',');
  return description;
}

std::string descriptionPath(const std::string& output) {
  return output + ".grid.json";
}

std::string descriptionText(const nlohmann::ordered_json& description) {
  return jsonText(description, 2) + "\n";
}

TableScope gridTableScope(const std::optional<GravityModel>& model, const Grid& grid) {
  TableScope scope = tableScopeOf(model);
  for (const GridAxis& axis : grid.axes()) {
    if (axis.kind != AxisKind::Gravity) continue;
    for (const std::string& name : axis.texts)
      scope.relativistic = scope.relativistic || tableScopeOf(gravityModelNamed(name)).relativistic;
  }
  return scope;
}

TableLayout gridTableLayout(const std::optional<GravityModel>& model, const Grid& grid) {
  return tableLayout(gridTableScope(model, grid));
}

std::string gridTableHeader(const Grid& grid, const TableLayout& layout) {
  std::string header = "point";
  for (const GridAxis& axis : grid.axes()) header += "," + axisName(axis);
  return header + "," + tableHeader(layout);
}

std::optional<Grid> gridOfDescription(const nlohmann::ordered_json& description, std::string& error) {
  const auto sweeps = description.find("sweeps");
  if (!description.is_object() || sweeps == description.end() || !sweeps->is_array() || sweeps->empty()) {
    error = "it names no sweep";
    return std::nullopt;
  }
  std::vector<GridAxis> axes;
  for (const auto& given : *sweeps) {
    auto axis = given.is_string() ? parseGridAxis(given.get<std::string>(), error) : std::nullopt;
    if (!axis) {
      if (!given.is_string()) error = "a sweep is not a text";
      return std::nullopt;
    }
    axes.push_back(std::move(*axis));
  }
  return Grid(std::move(axes));
}

std::optional<GravityModel> gravityOfDescription(const nlohmann::ordered_json& description) {
  const auto gravity = description.find("gravity");
  if (gravity == description.end() || !gravity->is_string()) return std::nullopt;
  return gravityModelNamed(gravity->get<std::string>());
}

}  // namespace bhsim
