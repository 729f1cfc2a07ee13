#include "qt/qt_platform.hpp"

#include <QApplication>
#include <QMessageBox>

namespace bhsim {

void QtPlatform::pumpEvents() {
  // A pass over Qt's events costs a few microseconds, as much as a few hundred integration steps. The run
  // pumps every 1000 steps, tens of thousands of times a second: passing over the events once a
  // millisecond is as prompt for the user and keeps the run's rate.
  if (sincePump_.isValid() && sincePump_.nsecsElapsed() < kPumpIntervalNs) return;
  sincePump_.start();
  for (const auto& hook : pumpHooks_) hook();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtPlatform::waitEvents() {
  if (ended()) return;
  for (const auto& hook : pumpHooks_) hook();
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void QtPlatform::reportRefusal(const std::string& message) {
  // Not modal-blocking: the handler returns at once and the box goes away with its OK button.
  auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Control Form"),
                              QString::fromStdString(message), QMessageBox::Ok, dialogParent_.data());
  box->setObjectName(QStringLiteral("refusal"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::ApplicationModal);
  box->show();
}

void QtPlatform::onEndProgram() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->isVisible()) window->close();
  }
  // Leaves app.exec() as soon as control is back in the main loop; a nested pump returns on its own.
  QCoreApplication::exit(0);
}

}  // namespace bhsim
