#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "control/control_table.hpp"

namespace bhsim {

// What an axis of a grid varies: a text field, the law of gravity or the integrator.
enum class AxisKind : unsigned char { Field, Gravity, Integrator };

// One axis of a grid, as one --sweep gives it: a text field and the texts typed into it, one for each of
// its values; or the law of gravity ("gravity=MODEL,MODEL,...") and the models' names; or the integrator
// ("integrator=NAME,NAME,...") and theirs.
struct GridAxis {
  ControlId field{};
  AxisKind kind = AxisKind::Field;
  std::string given;               // as given: "FIELD=FROM:TO:STEP" or "FIELD=V1,V2,..."
  std::vector<std::string> texts;  // each value's shortest round-trip decimal text
};

// The axis's name as the table's column and the JSON's key: the field's name, "gravity" or "integrator".
std::string axisName(const GridAxis& axis);

// The most points a grid may have.
inline constexpr std::int64_t kMaxGridPoints = 1000000;

// The parts of `text` between separators, empty ones included ("1,,2," gives four).
std::vector<std::string> split(const std::string& text, char separator);

// Reads "FIELD=FROM:TO:STEP" (FROM + i x STEP for i = 0, 1, ... up to TO, TO included where it falls on
// the grid; STEP may be negative with FROM > TO) or "FIELD=V1,V2,...". nullopt with a one-line `error`
// naming what is wrong.
std::optional<GridAxis> parseGridAxis(const std::string& arg, std::string& error);

// The Cartesian grid of several axes; the last one varies fastest. Points count from 0.
class Grid {
 public:
  explicit Grid(std::vector<GridAxis> axes) : axes_(std::move(axes)) {}

  const std::vector<GridAxis>& axes() const { return axes_; }
  // The number of points, or kMaxGridPoints + 1 for any grid larger than allowed.
  std::int64_t size() const;
  // The texts typed at `point`, one per axis.
  std::vector<std::string> texts(std::int64_t point) const;

 private:
  std::vector<GridAxis> axes_;
};

}  // namespace bhsim
