#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cerrno>

#include "qt/desktop.hpp"

namespace bhsim::testing {

// Plays the user from a timer, also inside the run's event pumps: at each tick the first rule whose
// condition holds runs its action, once. A script with rules left after a minute calls `giveUp`.
class UserScript : public QObject {
 public:
  explicit UserScript(std::function<void()> giveUp) {
    connect(&timer_, &QTimer::timeout, this, &UserScript::tick);
    QTimer::singleShot(60000, this, [this, giveUp] {
      gaveUp = !rules_.empty();
      if (gaveUp) giveUp();
    });
  }
  void when(std::function<bool()> condition, std::function<void()> action) {
    rules_.emplace_back(std::move(condition), std::move(action));
    timer_.start(2);  // ticks only while there are rules, so that an idle test's event loop sleeps
  }
  bool gaveUp = false;

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

// What a user's hands do: a left click in a widget's middle; select all of a field and type over it.
inline void clickWidget(QWidget* widget) {
  QTest::mouseClick(widget, Qt::LeftButton);
}
inline void typeInto(QWidget* field, const QString& text) {
  field->setFocus();
  static_cast<QLineEdit*>(field)->selectAll();
  QTest::keyClicks(field, text);
}

// Where a window stands (its frame's corner) and the size of its drawing area.
inline QRect placed(const QWidget* window) {
  return {window->pos(), window->size()};
}

// Every pixel of `shown` is the model's, one canvas pixel to `scale` x `scale` pixels of the image.
inline bool showsExactly(const QImage& shown, const Form2& form2, int scale = 1) {
  if (shown.size() != QSize(form2.pixelWidth(), form2.pixelHeight()) * scale) return false;
  for (int y = 0; y < shown.height(); ++y) {
    for (int x = 0; x < shown.width(); ++x) {
      if ((shown.pixel(x, y) & 0xFFFFFFu) != form2.pixel(x / scale, y / scale)) return false;
    }
  }
  return true;
}

// Both windows of a freshly loaded program, shown on the offscreen platform, and the user.
struct GuiHarness {
  GuiHarness() {
    desktop.show();
    if (!QTest::qWaitForWindowExposed(desktop.control.get())) ADD_FAILURE() << "control window not shown";
  }
  Program& program() { return desktop.program; }
  const std::string& text(ControlId id) const { return desktop.program.form1.text(id); }
  QWidget* widget(ControlId id) const { return desktop.control->control(id); }
  QLineEdit* field(ControlId id) const { return qobject_cast<QLineEdit*>(widget(id)); }
  // What the widget shows: a field's text, a label's or button's caption.
  std::string shown(ControlId id) const { return widget(id)->property("text").toString().toStdString(); }
  void click(ControlId id) { clickWidget(widget(id)); }
  void type(ControlId id, const QString& text) { typeInto(widget(id), text); }
  void setBodyCount(int count) {
    for (int i = 0; i < 3 && program().module.nBH != count; ++i) click(ControlId::TnBH);
  }
  // On a screen scaled by QT_SCALE_FACTOR (a whole number, as a test sets it) a canvas pixel is a block of
  // scale x scale screen pixels.
  static int scale() {
    return qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? qEnvironmentVariableIntValue("QT_SCALE_FACTOR") : 1;
  }
  // What the screen shows of the display window's drawing area. (On a scaled screen Qt's offscreen
  // platform grabs only a part of a window; there the window's own rendering stands in.)
  QImage shownPicture() const {
    QWidget* w = desktop.display.get();
    return scale() == 1 ? w->screen()->grabWindow(w->winId()).toImage() : w->grab().toImage();
  }
  bool showsModel() const { return showsExactly(shownPicture(), desktop.program.form2, scale()); }

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
struct Child {
  int status = -1;
  bool groupGone = false;
  QString output;
};

inline Child runChild(const QStringList& command, const QProcessEnvironment& env) {
  QProcess process;
  process.setProcessEnvironment(env);
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.setChildProcessModifier([] { ::setpgid(0, 0); });
  process.start(command.front(), command.mid(1));
  Child child;
  if (!process.waitForStarted()) return child;
  const auto group = static_cast<pid_t>(process.processId());
  if (!process.waitForFinished(60000)) ::kill(-group, SIGKILL);
  process.waitForFinished();
  if (process.exitStatus() == QProcess::NormalExit) child.status = process.exitCode();
  child.groupGone = ::kill(-group, 0) == -1 && errno == ESRCH;
  child.output = QString::fromLocal8Bit(process.readAll());
  return child;
}

// This binary run again on the offscreen platform: as the program with a scripted user (--probe, see
// gui_test_main.cpp) or as tests.
inline Child runProbe(const QStringList& arguments,
                      QProcessEnvironment env = QProcessEnvironment::systemEnvironment()) {
  env.insert("QT_QPA_PLATFORM", "offscreen");
  return runChild(QStringList{QCoreApplication::applicationFilePath()} + arguments, env);
}

}  // namespace bhsim::testing
