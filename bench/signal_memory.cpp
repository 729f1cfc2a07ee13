// Measures the program's resident memory during a run without end (two black holes without mass change,
// "n rev" and "Total time" 0) in the real windows with the Signal window open: after each of the step
// counts given, then ends the program as closing a window does.
//
//   signal_memory [--closed] STEPS...   (--closed: the Signal window stays closed, for comparison; under an X
//   server, e.g. xvfb-run; prints "steps resident_kB seconds" lines,
//                             seconds since the integration began; then "redraw MS", the milliseconds
//                             of one redraw of the Signal window with its samples, painted at once)

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "qt/desktop.hpp"

namespace {

using enum bhsim::ControlId;

long residentKilobytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

// What one redraw of the Signal window with all its kept samples costs, painted at once: the mean of 20.
double redrawMilliseconds(bhsim::SignalWindow& signal) {
  QElapsedTimer timer;
  timer.start();
  for (int i = 0; i < 20; ++i) {
    signal.redraw();
    signal.repaint();
  }
  return static_cast<double>(timer.nsecsElapsed()) * 1e-6 / 20;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::int64_t> marks;
  const bool closed = argc > 1 && std::string(argv[1]) == "--closed";
  for (int i = closed ? 2 : 1; i < argc; ++i) marks.push_back(std::atoll(argv[i]));
  QApplication app(argc, argv);
  bhsim::Desktop desktop;
  desktop.show();
  if (!closed) desktop.signal->show();
  bhsim::Program& program = desktop.program;
  while (program.runState.bodyCount != 2) program.panel.userClick(BodyCountField);
  for (auto [id, text] : {std::pair{RevolutionsField, "0"},
                          {TotalTimeField, "0"},
                          {MassGain1Field, "0"},
                          {MassGain2Field, "0"}})
    program.panel.userEdit(id, text);
  std::size_t next = 0;
  QElapsedTimer sinceStart;
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    if (program.runState.phase == bhsim::RunPhase::Paused) {
      sinceStart.start();
      program.panel.userClick(StartButton);
    }
    if (next < marks.size() && program.runState.totalSteps >= marks[next]) {
      std::printf("%lld %ld %.3f\n", static_cast<long long>(program.runState.totalSteps), residentKilobytes(),
                  static_cast<double>(sinceStart.nsecsElapsed()) * 1e-9);
      std::fflush(stdout);
      if (++next == marks.size()) {
        if (!closed) std::printf("redraw %.3f\n", redrawMilliseconds(*desktop.signal));
        desktop.platform.endProgram();
      }
    }
  });
  user.start(1);
  program.panel.userClick(StartButton);
  return 0;
}
