#include "gui_harness.hpp"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTest>

namespace bhsim::testing {
namespace {

constexpr int kTickMs = 2;
// A script that has not acted for this many ticks (about a minute) gives up.
constexpr int kPatienceTicks = 30000;
// Polls of idleUntil before it gives up (about five seconds).
constexpr int kIdlePolls = 1000;

}  // namespace

UserScript::UserScript(Platform& platform) : platform_(platform) {
  connect(&timer_, &QTimer::timeout, this, &UserScript::tick);
  timer_.start(kTickMs);
}

void UserScript::when(std::function<bool()> condition, std::function<void()> action) {
  rules_.push_back({std::move(condition), std::move(action)});
}

void UserScript::tick() {
  for (auto it = rules_.begin(); it != rules_.end(); ++it) {
    if (it->condition()) {
      auto action = std::move(it->action);
      rules_.erase(it);
      idleTicks_ = 0;
      action();
      return;
    }
  }
  if (!rules_.empty() && ++idleTicks_ > kPatienceTicks && !platform_.ended()) {
    gaveUp = true;
    platform_.endProgram();
  }
}

GuiHarness::GuiHarness() {
  desktop.show();
  if (!QTest::qWaitForWindowExposed(desktop.control.get())) ADD_FAILURE() << "control window not shown";
}

std::string GuiHarness::shown(ControlId id) const {
  if (auto* edit = field(id)) return edit->text().toStdString();
  if (auto* caption = label(id)) return caption->text().toStdString();
  return button(id)->text().toStdString();
}

void GuiHarness::click(ControlId id) {
  QTest::mouseClick(widget(id), Qt::LeftButton);
}

void GuiHarness::type(ControlId id, const QString& text) {
  QLineEdit* edit = field(id);
  edit->setFocus();
  edit->selectAll();
  if (text.isEmpty()) {
    QTest::keyClick(edit, Qt::Key_Delete);
  } else {
    QTest::keyClicks(edit, text);
  }
}

void GuiHarness::setBodyCount(int count) {
  for (int i = 0; i < 3 && program().module.nBH != count; ++i) click(ControlId::TnBH);
}

void GuiHarness::clickWhenCaption(ControlId id, const std::string& caption) {
  user.when([this, id, caption] { return text(id) == caption; }, [this, id] { click(id); });
}

bool idleUntil(const std::function<bool()>& condition) {
  if (condition()) return true;
  QEventLoop loop;
  QTimer poll;
  int polls = 0;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (condition() || ++polls > kIdlePolls) loop.quit();
  });
  poll.start(5);
  loop.exec();
  return condition();
}

bool GuiHarness::waitForDisplay() {
  return idleUntil([this] { return desktop.display->shownRevision() == desktop.program.form2.revision(); });
}

int countPixels(const QImage& image, unsigned rgb) {
  const QImage argb = image.convertToFormat(QImage::Format_RGB32);
  int count = 0;
  for (int row = 0; row < argb.height(); ++row) {
    const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(row));
    for (int column = 0; column < argb.width(); ++column) count += (line[column] & 0xFFFFFFu) == rgb ? 1 : 0;
  }
  return count;
}

}  // namespace bhsim::testing
