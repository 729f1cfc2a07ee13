#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "control/control_table.hpp"

namespace bhsim {

// Receives the control window's notifications: a field's change (raised inside the write that changed
// its text) and a click (raised only for the user).
class ControlPanelEvents {
 public:
  virtual ~ControlPanelEvents() = default;
  virtual void onChange(ControlId id) = 0;
  virtual void onClick(ControlId id) = 0;
};

// Mirrors the model into a view; told after each change of a control's text, visibility or top.
class ControlPanelObserver {
 public:
  virtual ~ControlPanelObserver() = default;
  virtual void controlChanged(ControlId id) = 0;
  virtual void windowChanged() = 0;
};

// Window geometry in twips, single precision.
struct WindowGeometry {
  float left = 60;
  float top = 450;
  float width = 0;
  float height = 0;
};

// The control window "Control Form": 71 controls with their text or caption, visibility and top edge.
class ControlPanel {
 public:
  static constexpr std::string_view kCaption = "Control Form";

  ControlPanel();

  const std::string& text(ControlId id) const { return controls_[indexOf(id)].text; }
  bool visible(ControlId id) const { return controls_[indexOf(id)].visible; }
  int top(ControlId id) const { return controls_[indexOf(id)].top; }

  // Sets a field's text or a label's or button's caption. A text field raises its change notification
  // before this returns, and only when the text actually changed.
  void setText(ControlId id, std::string_view text);
  void setVisible(ControlId id, bool visible);
  void setTop(ControlId id, int top);

  const WindowGeometry& geometry() const { return geometry_; }
  void setGeometry(const WindowGeometry& geometry);

  // What the user does: typing leaves the field with `text`; a click on a visible control raises its
  // click notification (a hidden control cannot be clicked).
  void userEdit(ControlId id, std::string_view text) { setText(id, text); }
  void userClick(ControlId id);

  void setEvents(ControlPanelEvents* events) { events_ = events; }
  void addObserver(ControlPanelObserver* observer) { observers_.push_back(observer); }
  void removeObserver(ControlPanelObserver* observer);

 private:
  struct State {
    std::string text;
    bool visible = true;
    int top = 0;
  };
  void notify(ControlId id);

  std::array<State, kControlCount> controls_;
  WindowGeometry geometry_;
  ControlPanelEvents* events_ = nullptr;
  std::vector<ControlPanelObserver*> observers_;
};

}  // namespace bhsim
