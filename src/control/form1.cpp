#include "control/form1.hpp"

#include <algorithm>

namespace bhsim {

Form1::Form1() {
  for (const ControlDesign& design : controlTable()) {
    State& state = controls_[indexOf(design.id)];
    state.text = design.text;
    state.top = design.top;
  }
  geometry_.width = 6765 + 120;
  geometry_.height = 6675 + 510;
}

void Form1::setText(ControlId id, std::string_view text) {
  State& state = controls_[indexOf(id)];
  if (state.text == text) return;
  state.text.assign(text);
  notify(id);
  if (events_ != nullptr && controlDesign(id).kind == ControlKind::TextField) events_->onChange(id);
}

void Form1::setVisible(ControlId id, bool visible) {
  State& state = controls_[indexOf(id)];
  if (state.visible == visible) return;
  state.visible = visible;
  notify(id);
}

void Form1::setTop(ControlId id, int top) {
  State& state = controls_[indexOf(id)];
  if (state.top == top) return;
  state.top = top;
  notify(id);
}

void Form1::setGeometry(const WindowGeometry& geometry) {
  geometry_ = geometry;
  for (Form1Observer* observer : observers_) observer->windowChanged();
}

void Form1::userClick(ControlId id) {
  if (events_ != nullptr && visible(id)) events_->onClick(id);
}

void Form1::removeObserver(Form1Observer* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void Form1::notify(ControlId id) {
  for (Form1Observer* observer : observers_) observer->controlChanged(id);
}

}  // namespace bhsim
