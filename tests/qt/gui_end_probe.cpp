// The desktop program exactly as `bhsim` starts it (guiMain), with a scripted user that brings it into one
// state and then ends it one way:
//
//   BHSIM_PROBE_STATE=idle|pause|integrating|endwait BHSIM_PROBE_END=end|close-control|close-display
//   gui_end_probe
//
// Prints the steady-clock time (ns) of the ending action on standard output; the program's own exit
// status is the probe's. A script that gets stuck exits with status 3 after 20 s.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "qt/gui_main.hpp"

namespace {

std::string probeState;
std::string probeEnd;

QWidget* window(const char* name) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() == QLatin1String(name)) return w;
  }
  return nullptr;
}

template <typename W>
W* control(const char* name) {
  QWidget* form1 = window("Form1");
  return form1 ? form1->findChild<W*>(QLatin1String(name)) : nullptr;
}

QString caption(const char* button) {
  auto* b = control<QPushButton>(button);
  return b ? b->text() : QString();
}

void type(const char* field, const QString& text) {
  auto* edit = control<QLineEdit>(field);
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

void markTheEnd() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  std::printf("%lld\n",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
  std::fflush(stdout);
}

void endTheProgram() {
  markTheEnd();
  if (probeEnd == "close-control") {
    window("Form1")->close();
  } else if (probeEnd == "close-display") {
    window("Form2")->close();
  } else {
    QTest::mouseClick(control<QPushButton>("CommandEnd"), Qt::LeftButton);
  }
}

// Plays the user every few milliseconds, also inside the run's event pumps.
class Script : public QObject {
 public:
  explicit Script(QObject* parent) : QObject(parent) {
    connect(&tick_, &QTimer::timeout, this, &Script::step);
    tick_.start(2);
    QTimer::singleShot(20000, this, [] { std::exit(3); });
  }

 private:
  void step();
  void setUpAndStart();
  bool reached();

  QTimer tick_;
  bool started_ = false;
  bool ended_ = false;
  std::chrono::steady_clock::time_point integratingSince_{};
};

// Two black holes: endless for the integration, a short run for the pause and the end wait.
void Script::setUpAndStart() {
  QTest::mouseClick(control<QLineEdit>("TnBH"), Qt::LeftButton);
  if (probeState == "integrating") {
    type("Tnrev", "0");
    type("Ttotaltime", "0");
  } else {
    type("Tmaxcount", "2000");
    type("Tnrev", "3");
  }
  // The run lives inside Start's click handler: press it from a timer of its own, so that this one goes
  // on ticking inside the run's event pumps.
  QTimer::singleShot(0, this,
                     [] { QTest::mouseClick(control<QPushButton>("CommandStart"), Qt::LeftButton); });
}

bool Script::reached() {
  if (probeState == "pause") return caption("CommandStart") == "Cont";
  if (caption("CommandStart") == "Cont" && control<QPushButton>("CommandStart")->isVisible()) {
    QTest::mouseClick(control<QPushButton>("CommandStart"), Qt::LeftButton);
    return false;
  }
  if (probeState == "endwait") return caption("CommandStart") == "Next";
  if (caption("CommandEnd") != "Stop") return false;
  const auto now = std::chrono::steady_clock::now();
  if (integratingSince_ == std::chrono::steady_clock::time_point{}) integratingSince_ = now;
  return now - integratingSince_ > std::chrono::milliseconds(300);
}

void Script::step() {
  QWidget* form1 = window("Form1");
  if (ended_ || form1 == nullptr || !form1->isVisible()) return;
  if (probeState != "idle" && !started_) {
    started_ = true;
    setUpAndStart();
    return;
  }
  if (probeState != "idle" && !reached()) return;
  // "End" reads "Stop" while the run integrates: stop it first, then end from the idle state.
  if (probeEnd == "end" && caption("CommandEnd") == "Stop") {
    QTest::mouseClick(control<QPushButton>("CommandEnd"), Qt::LeftButton);
    probeState = "idle";
    return;
  }
  if (probeState == "idle" && probeEnd == "end" && caption("CommandStart") != "Start") return;
  ended_ = true;
  endTheProgram();
}

// Runs as the application is made; the script starts once the program's main loop runs.
void installScript() {
  QMetaObject::invokeMethod(
      qApp, [] { new Script(qApp); }, Qt::QueuedConnection);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(installScript)

int main(int argc, char** argv) {
  const char* state = std::getenv("BHSIM_PROBE_STATE");
  const char* end = std::getenv("BHSIM_PROBE_END");
  probeState = state ? state : "idle";
  probeEnd = end ? end : "end";
  return bhsim::guiMain(argc, argv);
}
