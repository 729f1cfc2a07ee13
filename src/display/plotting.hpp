#pragma once

#include "display/palette.hpp"

namespace bhsim {

class ControlPanel;
class Display;
struct RunState;

// Maps a world point to a pixel (column to the right, row downward) through the world window and the
// pixel extents of `runState`. Rows are limited to 2 x lastPixelRow from above only. Whatever the point, the
// results are whole numbers within +-2^30; a point that maps beyond them (or to no number) is pinned far
// outside the area there. Returns false, leaving x and y alone, when the world window has zero (or no
// finite) width or height.
bool plotDot(const RunState& runState, double xin, double yin, double& x, double& y);

// Draws a dot of 1 (size up to 1), 4 (up to 2) or 9 pixels at a world point.
void plotDisc(const RunState& runState, Display& display, double xin1, double yin1, Colour color,
              double size);

// Draws a ring of radius 4 pixels around a world point, and the point.
void plotRing(const RunState& runState, Display& display, double xin, double yin, Colour color);

// The grid test pattern of the "Grid" button.
void drawTestPattern(RunState& runState, Display& display, ControlPanel& panel);

}  // namespace bhsim
