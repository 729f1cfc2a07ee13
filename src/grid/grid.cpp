#include "grid/grid.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "format/number_text.hpp"
#include "format/numeric_value.hpp"
#include "sim/gravity_model.hpp"

namespace bhsim {
namespace {

// Digits after the decimal point of a plain decimal text; -1 for a text with an exponent.
int decimals(const std::string& text) {
  if (text.find_first_of("eE") != std::string::npos) return -1;
  const auto point = text.find('.');
  return point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
}

// FROM + i x STEP, given to the decimals of FROM and STEP as typed, so that 0:0.3:0.1 gives 0.3 and not
// 0.30000000000000004.
double gridValue(double from, double step, std::int64_t i, int places) {
  const double value = from + static_cast<double>(i) * step;
  if (places < 0 || places > 17) return value;
  char text[400];
  std::snprintf(text, sizeof text, "%.*f", places, value);
  return std::strtod(text, nullptr);
}

bool rangeTexts(const std::vector<std::string>& parts, GridAxis& axis, std::string& error) {
  for (const std::string& part : parts) {
    if (!argumentNumber(part)) {
      error = "'" + part + "' in --sweep " + axis.given + " is not a number";
      return false;
    }
  }
  const double from = *argumentNumber(parts[0]), to = *argumentNumber(parts[1]),
               step = *argumentNumber(parts[2]);
  if (step == 0 || (to - from) / step < 0) {
    error = "the step of --sweep " + axis.given + (step == 0 ? " is 0" : " leads away from TO");
    return false;
  }
  const double count = std::floor((to - from) / step + 1e-9);
  if (!(count < static_cast<double>(kMaxGridPoints))) {
    error = "--sweep " + axis.given + " has more than " + std::to_string(kMaxGridPoints) + " values";
    return false;
  }
  const int d0 = decimals(parts[0]), d2 = decimals(parts[2]);
  const int places = d0 < 0 || d2 < 0 ? -1 : std::max(d0, d2);
  for (std::int64_t i = 0; i <= static_cast<std::int64_t>(count); ++i) {
    axis.texts.push_back(roundTripText(gridValue(from, step, i, places)));
  }
  return true;
}

bool modelTexts(const std::string& values, GridAxis& axis, std::string& error) {
  axis.gravity = true;
  for (const std::string& text : split(values, ',')) {
    if (!gravityModelNamed(text)) {
      error =
          "'" + text + "' in --sweep " + axis.given + " is not a gravity model (" + gravityModelList() + ")";
      return false;
    }
    axis.texts.push_back(text);
  }
  if (axis.texts.empty()) error = "--sweep " + axis.given + " gives no value";
  return !axis.texts.empty();
}

}  // namespace

std::string axisName(const GridAxis& axis) {
  return axis.gravity ? "gravity" : std::string(controlDesign(axis.field).name);
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, separator)) parts.push_back(part);
  if (!text.empty() && text.back() == separator) parts.emplace_back();
  return parts;
}

std::optional<GridAxis> parseGridAxis(const std::string& arg, std::string& error) {
  GridAxis axis;
  axis.given = arg;
  const auto eq = arg.find('=');
  if (eq != std::string::npos && arg.substr(0, eq) == "gravity") {
    if (!modelTexts(arg.substr(eq + 1), axis, error)) return std::nullopt;
    return axis;
  }
  const auto id = eq == std::string::npos ? std::nullopt : controlByName(arg.substr(0, eq));
  if (!id || controlDesign(*id).kind != ControlKind::TextField) {
    error = "--sweep " + arg + " does not start with the name of a text field (or gravity) and '='";
    return std::nullopt;
  }
  axis.field = *id;
  const std::string values = arg.substr(eq + 1);
  const std::vector<std::string> range = split(values, ':');
  if (range.size() == 3) {
    if (!rangeTexts(range, axis, error)) return std::nullopt;
    return axis;
  }
  for (const std::string& text : split(values, ',')) {
    const auto value = argumentNumber(text);
    if (!value) {
      error = "'" + text + "' in --sweep " + arg + " is not a number";
      return std::nullopt;
    }
    axis.texts.push_back(roundTripText(*value));
  }
  if (axis.texts.empty()) {
    error = "--sweep " + arg + " gives no value";
    return std::nullopt;
  }
  return axis;
}

std::int64_t Grid::size() const {
  std::int64_t points = 1;
  for (const GridAxis& axis : axes_) {
    points *= static_cast<std::int64_t>(axis.texts.size());
    if (points > kMaxGridPoints) return kMaxGridPoints + 1;
  }
  return points;
}

std::vector<std::string> Grid::texts(std::int64_t point) const {
  std::vector<std::string> texts(axes_.size());
  for (std::size_t a = axes_.size(); a-- > 0;) {
    const auto n = static_cast<std::int64_t>(axes_[a].texts.size());
    texts[a] = axes_[a].texts[static_cast<std::size_t>(point % n)];
    point /= n;
  }
  return texts;
}

}  // namespace bhsim
