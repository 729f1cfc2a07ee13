#pragma once

#include <QMenu>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "control/control_panel.hpp"
#include "sim/gravity_model.hpp"
#include "sim/integrator.hpp"

namespace bhsim {

// The control window: one real widget per control of the ControlPanel model, placed at its twips geometry.
// The model is the truth: every change of a control's text, visibility or top is mirrored here, and the
// user's typing and clicks go back to the model as its edit and click notifications.
class ControlWindow : public QWidget, private ControlPanelObserver {
  Q_OBJECT

 public:
  // `onClose` runs when the user closes the window by its frame.
  ControlWindow(ControlPanel& panel, std::function<void()> onClose);
  ~ControlWindow() override;

  QWidget* control(ControlId id) const { return widgets_[indexOf(id)]; }

  // Adds "Gravity" to the context menu, beside "Copy Values": the models to choose from, the one in
  // `choice` checked; a choice is written to `choice` (which the next "Start" reads).
  void offerGravityChoice(GravityModel& choice);
  QMenu* gravityMenu() const { return gravityMenu_.get(); }
  // Adds "Integrator" beside it, in the same way: the integrator of the next "Start".
  void offerIntegratorChoice(Integrator& choice);
  QMenu* integratorMenu() const { return integratorMenu_.get(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void controlChanged(ControlId id) override;
  void windowChanged() override;

  void createControl(const ControlDesign& design);
  void chainTabOrder();

  ControlPanel& panel_;
  std::function<void()> onClose_;
  std::array<QWidget*, kControlCount> widgets_{};
  std::unique_ptr<QMenu> gravityMenu_,
      integratorMenu_;  // without a parent: the window's children are its controls and popups
};

}  // namespace bhsim
