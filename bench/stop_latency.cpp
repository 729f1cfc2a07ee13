// Measures how soon a Stop pressed while a run integrates is acted on, in the real windows. Another thread
// posts the press at a known moment, as the window system delivers a click from outside the run; the
// time runs until "End" takes back its caption, when the run has left the integration.
//
//   stop_latency [presses]     (under an X server, e.g. xvfb-run; prints each press and the median)
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "qt/desktop.hpp"

namespace bhsim {
namespace {

using enum ControlId;
using Clock = std::chrono::steady_clock;

// Notes the moment "End" takes back its caption after a press was posted.
class EndWatch : public ControlPanelObserver {
 public:
  EndWatch(ControlPanel& panel, const std::atomic<bool>& posted) : panel_(panel), posted_(posted) {
    panel_.addObserver(this);
  }
  ~EndWatch() override { panel_.removeObserver(this); }
  void controlChanged(ControlId id) override {
    if (id == EndButton && posted_ && panel_.text(EndButton) == "End" && actedOn == Clock::time_point{}) {
      actedOn = Clock::now();
    }
  }
  void windowChanged() override {}
  Clock::time_point actedOn{};

 private:
  ControlPanel& panel_;
  const std::atomic<bool>& posted_;
};

QPushButton* button(Desktop& desktop, ControlId id) {
  return qobject_cast<QPushButton*>(desktop.control->control(id));
}

// One endless run: "Cont" at the pause, then a Stop posted 300 ms into the integration.
double stopOnce(Desktop& desktop) {
  std::atomic<bool> posted = false;
  Clock::time_point due{};
  EndWatch watch(desktop.program.panel, posted);
  std::thread presser;
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    const ControlPanel& panel = desktop.program.panel;
    if (panel.text(StartButton) == "Cont" && panel.visible(StartButton))
      button(desktop, StartButton)->click();
    if (panel.text(EndButton) != "Stop" || presser.joinable()) return;
    presser = std::thread([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      due = Clock::now();
      posted = true;
      QMetaObject::invokeMethod(
          button(desktop, EndButton), [&] { button(desktop, EndButton)->click(); }, Qt::QueuedConnection);
    });
  });
  user.start(1);
  button(desktop, StartButton)->click();
  presser.join();
  return std::chrono::duration<double, std::milli>(watch.actedOn - due).count();
}

}  // namespace
}  // namespace bhsim

int main(int argc, char** argv) {
  const int presses = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  QApplication app(argc, argv);
  bhsim::Desktop desktop;
  desktop.show();
  while (desktop.program.runState.bodyCount != 2)
    desktop.program.panel.userClick(bhsim::ControlId::BodyCountField);
  desktop.program.panel.userEdit(bhsim::ControlId::RevolutionsField, "0");
  desktop.program.panel.userEdit(bhsim::ControlId::TotalTimeField, "0");
  std::vector<double> latencies;
  for (int i = 0; i < presses; ++i) {
    latencies.push_back(bhsim::stopOnce(desktop));
    std::printf("press %d: acted on after %.2f ms\n", i + 1, latencies.back());
  }
  std::sort(latencies.begin(), latencies.end());
  std::printf("Stop acted on after %.2f ms (median of %d presses), at most %.2f ms\n",
              latencies[latencies.size() / 2], presses, latencies.back());
  return 0;
}
