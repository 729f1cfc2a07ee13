#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "qt/desktop.hpp"

namespace bhsim::testing {

// Plays the user while a run pumps events: every few milliseconds the first rule whose condition holds
// runs its action once. A script that stops making progress ends the program, so a broken run cannot
// hang the test; `gaveUp` then tells the test.
class UserScript : public QObject {
 public:
  explicit UserScript(Platform& platform);
  void when(std::function<bool()> condition, std::function<void()> action);
  bool gaveUp = false;

 private:
  void tick();
  struct Rule {
    std::function<bool()> condition;
    std::function<void()> action;
  };
  Platform& platform_;
  std::vector<Rule> rules_;
  QTimer timer_;
  int idleTicks_ = 0;
};

// Both windows of a freshly loaded program, shown on the offscreen platform, and the user's hands.
struct GuiHarness {
  GuiHarness();

  Program& program() { return desktop.program; }
  std::string text(ControlId id) const { return desktop.program.form1.text(id); }
  QWidget* widget(ControlId id) const { return desktop.control->control(id); }
  QLineEdit* field(ControlId id) const { return qobject_cast<QLineEdit*>(widget(id)); }
  QLabel* label(ControlId id) const { return qobject_cast<QLabel*>(widget(id)); }
  QPushButton* button(ControlId id) const { return qobject_cast<QPushButton*>(widget(id)); }
  // What the widget shows: a field's text, a label's or button's caption.
  std::string shown(ControlId id) const;

  // A left click into the middle of the control, as the mouse makes it.
  void click(ControlId id);
  // Selects the field's text and types `text` over it, one key at a time.
  void type(ControlId id, const QString& text);
  // Clicks "# BH" until the program has `count` black holes.
  void setBodyCount(int count);
  // Script: when `button` shows `caption`, click it (once).
  void clickWhenCaption(ControlId button, const std::string& caption);
  // Lets the event loop idle until the display window shows the model's latest pixels.
  bool waitForDisplay();

  Desktop desktop;
  UserScript user{desktop.platform};
};

// Lets the event loop run as the main loop does, sleeping between events, until `condition` holds (or
// about five seconds have passed); returns the condition.
bool idleUntil(const std::function<bool()>& condition);

// Counts the pixels of `image` with the colour 0xRRGGBB.
int countPixels(const QImage& image, unsigned rgb);

}  // namespace bhsim::testing
