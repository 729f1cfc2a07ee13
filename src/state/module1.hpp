#pragma once

#include <cstdint>
#include <string>

namespace bhsim {

// Where a run stands; the buttons show it. Idle: "Start". Paused: "Cont", before the first configuration
// is integrated. Integrating: the end button reads "Stop" (from the first configuration's integration to
// the end wait). EndWait: "Next".
enum class RunPhase : unsigned char { Idle, Paused, Integrating, EndWait };

// The user's answer to a wait: go on at the pause, end the run from the pause (the set-up was touched),
// or leave the end wait.
enum class UserAnswer : unsigned char { None, Continue, EndRun, Next };

// The shared values of the program: run-state flags, the body count, the saved inputs, the positions of
// black holes 1 and 2, and the world window with the display's pixel extents.
struct Module1 {
  // run state
  std::int16_t StopRequested = 0;
  std::int16_t SetupChanged = 0;
  std::int16_t EditsEnabled = 0;
  RunPhase phase = RunPhase::Idle;
  UserAnswer answer = UserAnswer::None;

  double nBH = 0;

  // inputs saved at the start of a run and restored at its end
  double BH10 = 0;
  double BH20 = 0;
  double BH30 = 0;
  double Tott0 = 0;
  double nrev0 = 0;

  double Pi = 0;

  // positions of black holes 1 and 2, km
  double x0 = 0;
  double y0 = 0;
  double x1 = 0;
  double y1 = 0;

  // world window and the drawing area's last pixel column and row
  double xmin = 0;
  double xmax = 0;
  double ymin = 0;
  double ymax = 0;
  std::int32_t xpixmax = 0;
  std::int32_t ypixmax = 0;

  // progress of the current run: integration steps so far (kept up to date at each event pump) and
  // configurations built
  std::int64_t totalSteps = 0;
  std::int64_t configurationsBuilt = 0;
};

}  // namespace bhsim
