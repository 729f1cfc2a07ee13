#include "batch/grid_description.hpp"

#include <algorithm>

#include "batch/batch_output.hpp"
#include "bhsim_version.hpp"

namespace bhsim {

nlohmann::ordered_json gridDescription(const BatchOptions& options) {
  const Grid grid(options.sweeps);
  nlohmann::ordered_json fields = nlohmann::ordered_json::array();
  for (const auto& [id, text] : options.fields)
    fields.push_back(std::string(controlDesign(id).name) + "=" + text);
  nlohmann::ordered_json sweeps = nlohmann::ordered_json::array();
  for (const SweepAxis& axis : grid.axes()) sweeps.push_back(axis.given);
  nlohmann::ordered_json description = {
      {"program", "bhsim"},
      {"version", kBhsimVersion},
      {"bh", options.bodyCount},
      {"refresh_every", options.refreshEvery > 0 ? nlohmann::ordered_json(options.refreshEvery) : nullptr},
      {"max_steps", options.maxSteps ? nlohmann::ordered_json(*options.maxSteps) : nullptr},
      {"fields", fields},
      {"sweeps", sweeps},
      {"points", grid.size()}};
  if (options.gravity) description["gravity"] = std::string(gravityModelName(*options.gravity));
  if (options.shardCount > 1)
    description["shard"] = std::to_string(options.shardIndex) + "/" + std::to_string(options.shardCount);
  description["columns"] = split(gridTableHeader(grid, options.gravity), ',');
  return description;
}

std::string descriptionPath(const std::string& output) {
  return output + ".grid.json";
}

std::string descriptionText(const nlohmann::ordered_json& description) {
  return jsonText(description, 2) + "\n";
}

bool gridHasRemnantColumns(const Grid& grid, std::optional<GravityModel> gravity) {
  for (const SweepAxis& axis : grid.axes()) {
    if (axis.gravity) {
      return std::any_of(axis.texts.begin(), axis.texts.end(),
                         [](const std::string& name) { return hasRemnantColumns(gravityModelNamed(name)); });
    }
  }
  return hasRemnantColumns(gravity);
}

std::string gridTableHeader(const Grid& grid, std::optional<GravityModel> gravity) {
  std::string header = "point";
  for (const SweepAxis& axis : grid.axes()) header += "," + axisName(axis);
  return header + "," + kTableHeader + (gridHasRemnantColumns(grid, gravity) ? kRemnantColumns : "");
}

std::optional<Grid> gridOfDescription(const nlohmann::ordered_json& description, std::string& error) {
  const auto sweeps = description.find("sweeps");
  if (!description.is_object() || sweeps == description.end() || !sweeps->is_array() || sweeps->empty()) {
    error = "it names no sweep";
    return std::nullopt;
  }
  std::vector<SweepAxis> axes;
  for (const auto& given : *sweeps) {
    auto axis = given.is_string() ? parseSweep(given.get<std::string>(), error) : std::nullopt;
    if (!axis) {
      if (!given.is_string()) error = "a sweep is not a text";
      return std::nullopt;
    }
    axes.push_back(std::move(*axis));
  }
  return Grid(std::move(axes));
}

}  // namespace bhsim
