#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "control/control_panel.hpp"
#include "display/display.hpp"
#include "platform/platform.hpp"
#include "program/configuration_record.hpp"
#include "program/run_observer.hpp"
#include "sim/gravity_model.hpp"
#include "sim/integrator.hpp"
#include "state/run_state.hpp"

namespace bhsim {

// Which strain samples the run hands its observer: `rate` a second of simulated time from each
// configuration's start (0: none), each taken at the first step at or past its time.
struct StrainSampling {
  double rate = 0;
  Detector detector;
};

// How the run decides that the field refresh is due, and what it samples.
struct RunOptions {
  // 0: when the clock passes the last refresh by 0.1 s (the interactive behaviour). N > 0: at every step
  // whose count is a positive multiple of N, which makes every field reproducible.
  std::int64_t refreshEvery = 0;
  // With refreshEvery > 0, also refresh at the first step past the total time, so that a time limit ends
  // the configuration at that step whatever the schedule (the batch mode's default).
  bool refreshAtTimeLimit = false;
  // Integrate with the plain step-by-step loop (the reference the fast loop must match bit for bit).
  bool referenceLoop = false;
  // Build and integrate only this configuration of the sweep (counted from 0).
  std::optional<std::int64_t> onlyConfiguration;
  // Samples of the strain for the observer, or none.
  StrainSampling strain;
  // Configurations integrated elsewhere, replayed instead of integrated (with a fixed refresh only).
  ConfigurationSource* source = nullptr;
  // The law of gravity of the next run (read when "Start" is pressed).
  GravityModel gravity = GravityModel::Newtonian;
  // The integrator of the next run, and the error per step an adaptive one keeps to.
  Integrator integrator = Integrator::Euler;
  double tolerance = kDefaultTolerance;
};

// The whole program: the shared values, both windows and the platform they run on. The control window's
// handlers are its member functions; the toolkit (or a test) reaches them through ControlPanel's
// notifications.
class Program : public ControlPanelEvents {
 public:
  explicit Program(Platform& platform);
  ~Program() override;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  void load();

  // ControlPanelEvents
  void onChange(ControlId id) override;
  void onClick(ControlId id) override;

  // buttons
  void onStartClicked();
  void onEndClicked();
  void drawTestPattern();

  // field handlers
  void onMass1Changed();
  void onSeparationChanged();
  void onFrequencyChanged();
  void onSpeedChanged();
  void onBodyCountClicked();

  void setUpBodyCount(const double& count);
  void layoutWindows(double aspect);

  // The field's text and its numeric value.
  const std::string& text(ControlId id) const { return panel.text(id); }
  double value(ControlId id) const;
  void write(ControlId id, const std::string& text) { panel.setText(id, text); }

  bool ended() const { return platform.ended(); }

  RunState runState;
  ControlPanel panel;
  Display display;
  Platform& platform;
  RunOptions options;
  RunObserver* observer = nullptr;
};

// The direction of black hole 2 seen from black hole 1 at the shared positions of `runState`, in degrees
// (directionAngle on RunState's x1, y1, x2, y2).
void pairDirection(const RunState& runState, double& angle);

}  // namespace bhsim
