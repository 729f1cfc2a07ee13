#include "qt/actions_menu.hpp"

#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>

#include "picture/canvas_image.hpp"

namespace bhsim {

void useActionsMenu(QWidget* window) {
  window->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(window, &QWidget::customContextMenuRequested, window, [window](const QPoint& at) {
    auto* menu = new QMenu(window);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addActions(window->actions());
    menu->popup(window->mapToGlobal(at));
  });
}

void addPictureActions(QWidget* window, const QString& suggested, std::function<QImage()> picture,
                       std::function<bool(const QString&)> save) {
  auto* saveAction = new QAction(QStringLiteral("Save Picture\u2026"), window);
  saveAction->setShortcut(QKeySequence::Save);
  QObject::connect(saveAction, &QAction::triggered, window, [window, suggested, save] {
    auto* dialog = new QFileDialog(window, QStringLiteral("Save Picture"), suggested,
                                   QStringLiteral("PNG images (*.png)"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("png"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QFileDialog::fileSelected, window, [save](const QString& path) { save(path); });
    dialog->open();
  });
  auto* copyAction = new QAction(QStringLiteral("Copy Picture"), window);
  copyAction->setShortcut(QKeySequence::Copy);
  QObject::connect(copyAction, &QAction::triggered, window,
                   [picture] { QGuiApplication::clipboard()->setImage(picture()); });
  window->addActions({saveAction, copyAction});
  useActionsMenu(window);
}

bool savePictureOrSay(QWidget* window, const QImage& image, const QString& path) {
  const QString error = savePng(image, path);
  if (error.isEmpty()) return true;
  auto* box = new QMessageBox(QMessageBox::Warning, window->windowTitle(),
                              QStringLiteral("The picture was not saved to %1: %2").arg(path, error),
                              QMessageBox::Ok, window);
  box->setObjectName(QStringLiteral("saveFailed"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
  return false;
}

}  // namespace bhsim
