#include "display/plotting.hpp"

#include <algorithm>
#include <cmath>

#include "display/display.hpp"
#include "display/window_layout.hpp"
#include "state/run_state.hpp"

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

bool plotDot(const RunState& runState, double xin, double yin, double& x, double& y) {
  const double width = runState.xmax - runState.xmin;
  const double height = runState.ymax - runState.ymin;
  if (width == 0 || height == 0 || !std::isfinite(width) || !std::isfinite(height)) return false;
  const double rx = (xin - runState.xmin) / width;
  x = pinned(std::floor(runState.lastPixelColumn * rx));
  double ry = (yin - runState.ymin) / height;
  if (ry > 2) ry = 2;
  y = pinned(std::floor(runState.lastPixelRow * ry));
  return true;
}

void plotDisc(const RunState& runState, Display& display, double xin1, double yin1, Colour color,
              double size) {
  double px = 0;
  double py = 0;
  if (!plotDot(runState, xin1, yin1, px, py)) return;
  display.setPixel(px, py, color);
  if (size > 1) {
    display.setPixel(px, py + 1, color);
    display.setPixel(px + 1, py, color);
    display.setPixel(px + 1, py + 1, color);
  }
  if (size > 2) {
    display.setPixel(px - 1, py - 1, color);
    display.setPixel(px - 1, py, color);
    display.setPixel(px - 1, py + 1, color);
    display.setPixel(px, py - 1, color);
    display.setPixel(px + 1, py - 1, color);
  }
}

void plotRing(const RunState& runState, Display& display, double xin, double yin, Colour color) {
  constexpr int kRadius = 4;
  double px = 0;
  double py = 0;
  if (!plotDot(runState, xin, yin, px, py)) return;
  display.setPixel(px, py, color);
  for (int dx = -kRadius; dx <= kRadius; ++dx) {
    for (int dy = -kRadius; dy <= kRadius; ++dy) {
      if (std::lround(std::hypot(dx, dy)) == kRadius) display.setPixel(px + dx, py + dy, color);
    }
  }
}

namespace {

void setWorldWindow(RunState& runState, double max) {
  runState.xmin = 0;
  runState.xmax = max;
  runState.ymin = 0;
  runState.ymax = max;
}

}  // namespace

void drawTestPattern(RunState& runState, Display& display, ControlPanel& panel) {
  setWorldWindow(runState, 1);
  layoutWindows(1, display, panel, runState);
  const double middle = (runState.xmax - runState.xmin) / 2;
  for (double i = runState.xmin; i <= runState.xmax; i += 1)
    plotDisc(runState, display, i, middle, paletteColor(0), 0);
  for (double i = runState.xmin; i <= runState.xmax; i += 1)
    plotDisc(runState, display, middle, i, paletteColor(4), 2);
  setWorldWindow(runState, 100);
  const double centre = (runState.xmax - runState.xmin) / 2;
  for (double i = 0; i <= runState.xmax; i += 2) plotDisc(runState, display, i, centre, paletteColor(0), 0);
  for (double i = 0; i <= runState.xmax; i += 2) plotDisc(runState, display, centre, i, paletteColor(0), 0);
  layoutWindows(1, display, panel, runState);
}

}  // namespace bhsim
