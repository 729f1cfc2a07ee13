// Measures the integration rate of a run in the real windows and of the same run on a headless platform,
// in one process, so the two differ only by the Qt platform: the event pumps, the repaints and the
// widget updates of the field writes.
//
//   gui_rate [repeats] [--signal]   (under an X server, e.g. xvfb-run; prints one JSON object)
//
// With --signal the Signal window is open beside the other two while the windows' run integrates.
// The run is the default two-black-hole run (7 revolutions at Max count 1000000). Its integration is
// timed from the moment "Stop" appears (integration begins) to the moment "Next" appears (the sweep is
// over); the best of the repeats is kept.

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>

#include "platform/scripted_platform.hpp"
#include "qt/desktop.hpp"

namespace bhsim {
namespace {

using enum ControlId;
using Clock = std::chrono::steady_clock;

struct Timing {
  std::int64_t steps = 0;
  double seconds = std::numeric_limits<double>::infinity();
  double cpuSeconds = std::numeric_limits<double>::infinity();
  double rate() const { return static_cast<double>(steps) / seconds; }
  double cpuRate() const { return static_cast<double>(steps) / cpuSeconds; }
};

// Processor time of this thread: what the run itself costs, whatever else the machine is doing.
double threadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Clocks the integration by the captions the run writes: "Stop" as it begins, "Next" when it is over.
// As a model observer it sees each caption the moment it is written, with no polling delay.
class IntegrationClock : public ControlPanelObserver {
 public:
  IntegrationClock(Program& program) : program_(program) { program_.panel.addObserver(this); }
  ~IntegrationClock() override { program_.panel.removeObserver(this); }
  void controlChanged(ControlId id) override {
    const std::string& text = program_.panel.text(id);
    if (id == EndButton && text == "Stop") {
      begin_ = Clock::now();
      beginCpu_ = threadSeconds();
    }
    if (id == StartButton && text == "Next") {
      const double seconds = std::chrono::duration<double>(Clock::now() - begin_).count();
      best.steps = program_.runState.totalSteps;
      best.seconds = std::min(best.seconds, seconds);
      best.cpuSeconds = std::min(best.cpuSeconds, threadSeconds() - beginCpu_);
    }
  }
  void windowChanged() override {}
  Timing best;

 private:
  Program& program_;
  Clock::time_point begin_;
  double beginCpu_ = 0;
};

void twoBlackHoles(Program& program) {
  while (program.runState.bodyCount != 2) program.panel.userClick(BodyCountField);
}

Timing headlessRate(int repeats) {
  ScriptedPlatform platform;
  Program program(platform);
  program.load();
  twoBlackHoles(program);
  IntegrationClock clock(program);
  for (int i = 0; i < repeats; ++i) {
    const auto in = [&program](RunPhase phase) {
      return [&program, phase] { return program.runState.phase == phase; };
    };
    platform.when(in(RunPhase::Paused), [&program] { program.panel.userClick(StartButton); });
    platform.when(in(RunPhase::EndWait), [&program] { program.panel.userClick(StartButton); });
    program.panel.userClick(StartButton);
  }
  return clock.best;
}

// The buttons are pressed through the widgets, from a timer, as the user's clicks would arrive.
Timing windowRate(int repeats, bool signal) {
  Desktop desktop;
  desktop.show();
  if (signal) desktop.signal->show();
  Program& program = desktop.program;
  twoBlackHoles(program);
  IntegrationClock clock(program);
  QPushButton* start = qobject_cast<QPushButton*>(desktop.control->control(StartButton));
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    const std::string& caption = program.panel.text(StartButton);
    if (caption == "Cont" || caption == "Next") start->click();
  });
  user.start(1);
  for (int i = 0; i < repeats && !desktop.platform.ended(); ++i) start->click();
  return clock.best;
}

}  // namespace
}  // namespace bhsim

int main(int argc, char** argv) {
  const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const bool signal = argc > 2 && std::string(argv[2]) == "--signal";
  QApplication app(argc, argv);
  const bhsim::Timing window = bhsim::windowRate(repeats, signal);
  const bhsim::Timing headless = bhsim::headlessRate(repeats);
  const auto print = [](const char* name, const bhsim::Timing& t) {
    std::printf(
        " \"%s\": {\"steps\": %lld, \"seconds\": %.6f, \"steps_per_second\": %.0f, \"cpu_seconds\": %.6f, "
        "\"steps_per_cpu_second\": %.0f},\n",
        name, static_cast<long long>(t.steps), t.seconds, t.rate(), t.cpuSeconds, t.cpuRate());
  };
  std::printf("{\n");
  print("window", window);
  print("headless", headless);
  std::printf(" \"window_over_headless\": %.4f,\n \"window_over_headless_cpu\": %.4f\n}\n",
              window.rate() / headless.rate(), window.cpuRate() / headless.cpuRate());
  return 0;
}
