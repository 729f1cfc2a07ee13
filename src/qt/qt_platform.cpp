#include "qt/qt_platform.hpp"

#include <QApplication>
#include <QMessageBox>

namespace bhsim {

void QtPlatform::pumpEvents() {
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
