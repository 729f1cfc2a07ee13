#include "control/control_panel.hpp"

#include <algorithm>

namespace bhsim {

ControlPanel::ControlPanel() {
  for (const ControlDesign& design : controlTable()) {
    State& state = controls_[indexOf(design.id)];
    state.text = design.text;
    state.top = design.top;
  }
  geometry_.width = 6765 + 120;
  geometry_.height = 6675 + 510;
}

void ControlPanel::setText(ControlId id, std::string_view text) {
  State& state = controls_[indexOf(id)];
  if (state.text == text) return;
  state.text.assign(text);
  notify(id);
  if (events_ != nullptr && controlDesign(id).kind == ControlKind::TextField) events_->onChange(id);
}

void ControlPanel::setVisible(ControlId id, bool visible) {
  State& state = controls_[indexOf(id)];
  if (state.visible == visible) return;
  state.visible = visible;
  notify(id);
}

void ControlPanel::setTop(ControlId id, int top) {
  State& state = controls_[indexOf(id)];
  if (state.top == top) return;
  state.top = top;
  notify(id);
}

void ControlPanel::setGeometry(const WindowGeometry& geometry) {
  geometry_ = geometry;
  for (ControlPanelObserver* observer : observers_) observer->windowChanged();
}

void ControlPanel::userClick(ControlId id) {
  if (events_ != nullptr && visible(id)) events_->onClick(id);
}

void ControlPanel::removeObserver(ControlPanelObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void ControlPanel::notify(ControlId id) {
  for (ControlPanelObserver* observer : observers_) observer->controlChanged(id);
}

}  // namespace bhsim
