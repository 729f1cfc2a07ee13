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
class EndWatch : public Form1Observer {
 public:
  EndWatch(Form1& form1, const std::atomic<bool>& posted) : form1_(form1), posted_(posted) {
    form1_.addObserver(this);
  }
  ~EndWatch() override { form1_.removeObserver(this); }
  void controlChanged(ControlId id) override {
    if (id == CommandEnd && posted_ && form1_.text(CommandEnd) == "End" && actedOn == Clock::time_point{}) {
      actedOn = Clock::now();
    }
  }
  void windowChanged() override {}
  Clock::time_point actedOn{};

 private:
  Form1& form1_;
  const std::atomic<bool>& posted_;
};

QPushButton* button(Desktop& desktop, ControlId id) {
  return qobject_cast<QPushButton*>(desktop.control->control(id));
}

// One endless run: "Cont" at the pause, then a Stop posted 300 ms into the integration.
double stopOnce(Desktop& desktop) {
  std::atomic<bool> posted = false;
  Clock::time_point due{};
  EndWatch watch(desktop.program.form1, posted);
  std::thread presser;
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    const Form1& form1 = desktop.program.form1;
    if (form1.text(CommandStart) == "Cont" && form1.visible(CommandStart))
      button(desktop, CommandStart)->click();
    if (form1.text(CommandEnd) != "Stop" || presser.joinable()) return;
    presser = std::thread([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      due = Clock::now();
      posted = true;
      QMetaObject::invokeMethod(
          button(desktop, CommandEnd), [&] { button(desktop, CommandEnd)->click(); }, Qt::QueuedConnection);
    });
  });
  user.start(1);
  button(desktop, CommandStart)->click();
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
  while (desktop.program.module.nBH != 2) desktop.program.form1.userClick(bhsim::ControlId::TnBH);
  desktop.program.form1.userEdit(bhsim::ControlId::Tnrev, "0");
  desktop.program.form1.userEdit(bhsim::ControlId::Ttotaltime, "0");
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
