#pragma once

namespace bhsim {

class ControlPanel;
class Display;
struct RunState;

// Reshapes the display window to a drawing area of ratio 3 x aspect : 4 with the same area, records the
// pixel extents and lays out the control window for the number of black holes.
void layoutWindows(double aspect, Display& display, ControlPanel& panel, RunState& runState);

// The control window's layout for `bodyCount` black holes (part of layoutWindows).
void layoutForBodyCount(double bodyCount, ControlPanel& panel);

}  // namespace bhsim
