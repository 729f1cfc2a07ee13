#include "qt/desktop.hpp"

#include <QAction>

namespace bhsim {

namespace {

// The strain the Signal window shows: 4096 samples a second, face-on from 410 Mpc.
StrainSampling signalSampling() {
  return {4096, {410 * kKmPerMpc, 0}};
}

}  // namespace

Desktop::Desktop() {
  program.load();
  const auto end = [this] { platform.endProgram(); };
  control = std::make_unique<ControlWindow>(program.panel, end);
  display = std::make_unique<DisplayWindow>(program.display, end);
  control->offerGravityChoice(program.options.gravity);
  control->offerIntegratorChoice(program.options.integrator);
  platform.setDialogParent(control.get());
  platform.addPumpHook([this] { display->sync(); });
  signal = std::make_unique<SignalWindow>();
  // beside the display window, which stands right of the control window
  signal->move(display->x() + display->width() + 16, 0);
  program.observer = signal.get();
  program.options.strain = signalSampling();
  auto* showSignal = new QAction(QStringLiteral("Show Signal"), display.get());
  showSignal->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
  QObject::connect(showSignal, &QAction::triggered, signal.get(), [this] {
    signal->show();
    signal->raise();
  });
  display->addAction(showSignal);
}

void Desktop::show() {
  control->show();
  if (program.display.shown()) display->show();
}

}  // namespace bhsim
