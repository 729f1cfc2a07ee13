#pragma once

#include <cstdint>

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
struct RunState {
  RunPhase phase = RunPhase::Idle;
  UserAnswer answer = UserAnswer::None;
  bool stopRequested = false;  // "Stop" was pressed while integrating
  bool setupChanged = false;   // the set-up was touched while the run waits
  bool editsEnabled = false;   // the field handlers act on a change (not while the run writes fields)

  // black holes in play, as "# BH" was stepped from whatever number its field held
  double bodyCount = 0;

  // inputs saved at the start of a run and restored at its end
  double savedMass1 = 0;
  double savedMass2 = 0;
  double savedMass3 = 0;
  double timeLimit = 0;
  double revolutionLimit = 0;

  // positions of black holes 1 and 2, km
  double x1 = 0;
  double y1 = 0;
  double x2 = 0;
  double y2 = 0;

  // world window and the drawing area's last pixel column and row
  double xmin = 0;
  double xmax = 0;
  double ymin = 0;
  double ymax = 0;
  std::int32_t lastPixelColumn = 0;
  std::int32_t lastPixelRow = 0;

  // progress of the current run: integration steps so far (kept up to date at each event pump) and
  // configurations built
  std::int64_t totalSteps = 0;
  std::int64_t configurationsBuilt = 0;
  // under an adaptive integrator, the evaluations of the accelerations so far (its work)
  std::int64_t totalForceEvaluations = 0;
};

}  // namespace bhsim
