#include "display/plotting.hpp"

#include <algorithm>
#include <cmath>

#include "display/form2.hpp"
#include "display/resize.hpp"
#include "state/module1.hpp"

namespace bhsim {
namespace {

// Pixel numbers are pinned to this band: far outside any drawing area, yet exact as an int or a float,
// so whatever takes them on converts them safely. A point that maps to no number at all (a coordinate
// that is not a number) lands at its far end.
constexpr double kFarPixel = 1 << 30;

double pinned(double pixel) {
  if (std::isnan(pixel)) return -kFarPixel;
  return std::clamp(pixel, -kFarPixel, kFarPixel);
}

}  // namespace

bool PointSet(const Module1& module, double xin, double yin, double& x, double& y) {
  const double width = module.xmax - module.xmin;
  const double height = module.ymax - module.ymin;
  if (width == 0 || height == 0 || !std::isfinite(width) || !std::isfinite(height)) return false;
  const double rx = (xin - module.xmin) / width;
  x = pinned(std::floor(module.xpixmax * rx));
  double ry = (yin - module.ymin) / height;
  if (ry > 2) ry = 2;
  y = pinned(std::floor(module.ypixmax * ry));
  return true;
}

void CircleSet(const Module1& module, Form2& form2, double xin1, double yin1, Colour color, double size) {
  double px = 0;
  double py = 0;
  if (!PointSet(module, xin1, yin1, px, py)) return;
  form2.setPixel(px, py, color);
  if (size > 1) {
    form2.setPixel(px, py + 1, color);
    form2.setPixel(px + 1, py, color);
    form2.setPixel(px + 1, py + 1, color);
  }
  if (size > 2) {
    form2.setPixel(px - 1, py - 1, color);
    form2.setPixel(px - 1, py, color);
    form2.setPixel(px - 1, py + 1, color);
    form2.setPixel(px, py - 1, color);
    form2.setPixel(px + 1, py - 1, color);
  }
}

namespace {

void setWorldWindow(Module1& module, double max) {
  module.xmin = 0;
  module.xmax = max;
  module.ymin = 0;
  module.ymax = max;
}

}  // namespace

void Command3_Click(Module1& module, Form2& form2, Form1& form1) {
  setWorldWindow(module, 1);
  RESIZE(1, form2, form1, module);
  const double middle = (module.xmax - module.xmin) / 2;
  for (double i = module.xmin; i <= module.xmax; i += 1) CircleSet(module, form2, i, middle, QBColor(0), 0);
  for (double i = module.xmin; i <= module.xmax; i += 1) CircleSet(module, form2, middle, i, QBColor(4), 2);
  setWorldWindow(module, 100);
  const double centre = (module.xmax - module.xmin) / 2;
  for (double i = 0; i <= module.xmax; i += 2) CircleSet(module, form2, i, centre, QBColor(0), 0);
  for (double i = 0; i <= module.xmax; i += 2) CircleSet(module, form2, centre, i, QBColor(0), 0);
  RESIZE(1, form2, form1, module);
}

}  // namespace bhsim
