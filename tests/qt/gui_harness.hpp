#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cerrno>

#include "qt/desktop.hpp"

namespace bhsim::testing {

// Plays the user from a timer, also inside the run's event pumps: at each tick the first rule whose
// condition holds runs its action, once. A script still there after a minute, stuck in a rule's condition
// or its action, calls `giveUp`.
class UserScript : public QObject {
 public:
  explicit UserScript(std::function<void()> giveUp) {
    connect(&timer_, &QTimer::timeout, this, &UserScript::tick);
    QTimer::singleShot(60000, this, std::move(giveUp));
  }
  void when(std::function<bool()> condition, std::function<void()> action) {
    rules_.emplace_back(std::move(condition), std::move(action));
    timer_.start(2);  // ticks only while there are rules, so that an idle test's event loop sleeps
  }
  bool finished() const { return rules_.empty(); }

 private:
  void tick() {
    for (auto it = rules_.begin(); it != rules_.end(); ++it) {
      if (!it->first()) continue;
      auto action = std::move(it->second);
      rules_.erase(it);
      if (rules_.empty()) timer_.stop();
      return action();
    }
  }
  std::vector<std::pair<std::function<bool()>, std::function<void()>>> rules_;
  QTimer timer_;
};

// What a user's hands do to a field: select all of it and type over it.
inline void typeInto(QWidget* field, const QString& text) {
  field->setFocus();
  static_cast<QLineEdit*>(field)->selectAll();
  QTest::keyClicks(field, text);
}

// The model's pixels as an opaque RGB32 image, each canvas pixel a `scale` x `scale` block.
inline QImage modelImage(const Display& display, int scale = 1) {
  QImage image(QSize(display.pixelWidth(), display.pixelHeight()) * scale, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      image.setPixel(x, y, 0xFF000000u | display.pixel(x / scale, y / scale));
  }
  return image;
}

// Both windows of a freshly loaded program, shown on the offscreen platform, and the user, who must
// have played the whole script by the test's end.
struct GuiHarness {
  GuiHarness() {
    desktop.show();
    if (!QTest::qWaitForWindowExposed(desktop.control.get())) ADD_FAILURE() << "control window not shown";
  }
  ~GuiHarness() { EXPECT_TRUE(user.finished()) << "the user's script was left unfinished"; }
  Program& program() { return desktop.program; }
  QWidget* widget(ControlId id) const { return desktop.control->control(id); }
  QLineEdit* field(ControlId id) const { return qobject_cast<QLineEdit*>(widget(id)); }
  // What the widget shows: a field's text, a label's or button's caption.
  std::string shown(ControlId id) const { return widget(id)->property("text").toString().toStdString(); }
  void click(ControlId id) { QTest::mouseClick(widget(id), Qt::LeftButton); }
  void type(ControlId id, const QString& text) { typeInto(widget(id), text); }
  void setBodyCount(int count) {
    for (int i = 0; i < 3 && program().runState.bodyCount != count; ++i) click(ControlId::BodyCountField);
  }
  // Whether the screen shows exactly the model's pixels in the display window's drawing area: on a screen
  // scaled by QT_SCALE_FACTOR (a whole number, as a test sets it) each canvas pixel as a block. (There
  // Qt's offscreen platform grabs only a part of a window; the window's own rendering stands in.)
  bool showsModel() const {
    QWidget* w = desktop.display.get();
    const int scale = std::max(1, qEnvironmentVariableIntValue("QT_SCALE_FACTOR"));
    const QImage shown = scale == 1 ? w->screen()->grabWindow(w->winId()).toImage() : w->grab().toImage();
    return shown.convertToFormat(QImage::Format_RGB32) == modelImage(desktop.program.display, scale);
  }

  // Lets the event loop sleep, as the program's main loop does, until the screen shows exactly the
  // model's pixels (checked each time the loop is about to sleep), for five seconds at most. Nothing else
  // wakes the loop: a repaint the window does not ask for by itself never comes.
  bool waitForDisplay() {
    QEventLoop loop;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop,
                     [&] {
                       if (showsModel()) loop.quit();
                     });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    if (!showsModel()) loop.exec();
    return showsModel();
  }

  Desktop desktop;
  UserScript user{[this] { desktop.platform.endProgram(); }};
};

// A program run to its end in a process group of its own (given up on after a minute): its exit status
// (-1 when it crashed or was given up on), whether its group is gone, and what it printed.
using Child = std::tuple<int, bool, std::string>;

inline Child runChild(const QStringList& command, const QProcessEnvironment& env) {
  QProcess process;
  process.setProcessEnvironment(env);
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.setChildProcessModifier([] { ::setpgid(0, 0); });
  process.start(command.front(), command.mid(1));
  if (!process.waitForStarted()) return {-1, false, ""};
  const auto group = static_cast<pid_t>(process.processId());
  if (!process.waitForFinished(60000)) ::kill(-group, SIGKILL);
  process.waitForFinished();
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          ::kill(-group, 0) == -1 && errno == ESRCH, process.readAll().toStdString()};
}

// This binary run again on the offscreen platform: as the program with a scripted user (--probe, see
// desktop_test.cpp) or as tests.
inline Child runProbe(const QStringList& arguments,
                      QProcessEnvironment env = QProcessEnvironment::systemEnvironment()) {
  env.insert("QT_QPA_PLATFORM", "offscreen");
  return runChild(QStringList{QCoreApplication::applicationFilePath()} + arguments, env);
}

}  // namespace bhsim::testing
