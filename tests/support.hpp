#pragma once

// What the core tests share: a loaded program with the user's hands, a recorder of what a run reports,
// the real program on the command line, and scratch files and folders for it to write.

#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/scripted_platform.hpp"
#include "program/program.hpp"
#include "program/run_observer.hpp"
#include "sim/loop_state.hpp"

namespace bhsim::testing {

using enum ControlId;
inline const double kPi = 4 * std::atan(1.0);
using Fields = std::vector<std::pair<ControlId, std::string>>;

// The model of the table by this name.
inline GravityModel named(std::string_view name) {
  return gravityModelNamed(name).value();
}

// The fields of `a`, then those of `b`.
inline Fields operator+(Fields a, const Fields& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
// Masses that stay as they are; a configuration with no limit of revolutions or time.
inline const Fields kSteadyMasses = {{MassGain1Field, "0"}, {MassGain2Field, "0"}};
inline const Fields kNoLimit = {{RevolutionsField, "0"}, {TotalTimeField, "0"}};

// Keeps what a run reports.
struct Recorder : RunObserver {
  void onConfigurationStart(int, double angle, const LoopState& s) override {
    angles.push_back(angle);
    starts.push_back(s);
  }
  void onRevolution(int, const LoopState& s) override { revolutions.push_back(s); }
  void onStrainSample(int, const StrainSample&) override { ++strainSamples; }
  void onConfigurationEnd(int, const LoopState& s, bool) override { ends.push_back(s); }
  std::vector<double> angles;
  std::vector<LoopState> starts, revolutions, ends;
  std::int64_t strainSamples = 0;
};

// Calls `on` after each change of a control's text, visibility or top, for as long as it lives.
struct OnControl : ControlPanelObserver {
  OnControl(ControlPanel& panel, std::function<void(ControlId)> callback)
      : form(panel), on(std::move(callback)) {
    form.addObserver(this);
  }
  ~OnControl() override { form.removeObserver(this); }
  void controlChanged(ControlId id) override { on(id); }
  void windowChanged() override {}
  ControlPanel& form;
  std::function<void(ControlId)> on;
};

// A freshly loaded program on a scripted platform, with a recorder of what its runs report; its runs are
// under `gravity`.
struct Harness {
  explicit Harness(GravityModel gravity = GravityModel::Newtonian) {
    program.load();
    program.observer = &recorder;
    program.options.gravity = gravity;
  }
  const std::string& text(ControlId id) const { return program.panel.text(id); }
  bool visible(ControlId id) const { return program.panel.visible(id); }
  void type(ControlId id, const std::string& text) { program.panel.userEdit(id, text); }
  void click(ControlId id) { program.panel.userClick(id); }
  // Clicks "# BH" until there are `count` black holes, then types the fields.
  void configure(int count, const Fields& fields = {}, std::int64_t refreshEvery = 100);
  // When the run is in `phase` at a pump or wait, runs `action` once.
  void onPhase(RunPhase phase, std::function<void()> action);
  // Presses "Start" and answers "Cont" and "Next".
  void run();

  ScriptedPlatform platform;
  Program program{platform};
  Recorder recorder;
};

// The real program: `bhsim ARGS` through the shell, standard input empty.
struct Outcome {
  int status = -1;
  std::string out, err;
};
Outcome bhsim(const std::string& args);
// `bhsim ARGS`, which is expected to exit with status 0.
Outcome ran(const std::string& args);
// The exit status of a shell command line, -1 when it did not exit.
int shellStatus(const std::string& line);

// A scratch file of this test program's own, as a path and as the text of one.
std::filesystem::path scratch(const std::string& name);
std::string path(const std::string& name);
std::string slurp(const std::filesystem::path& path);
// The line ends in `text`.
long lineCount(const std::string& text);
std::vector<std::vector<std::string>> readCsv(const std::filesystem::path& path);
// The first cell of a CSV file (past its header) that reads as a number but not a finite one, or "".
std::string nonFiniteCell(const std::filesystem::path& path);

}  // namespace bhsim::testing
