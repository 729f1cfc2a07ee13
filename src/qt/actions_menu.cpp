#include "qt/actions_menu.hpp"

#include <QMenu>

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

}  // namespace bhsim
