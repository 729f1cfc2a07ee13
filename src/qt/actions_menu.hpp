#pragma once

#include <QWidget>

namespace bhsim {

// Gives a window a context menu of its actions that does not block: the menu pops up and the caller
// returns, so a run that met the right click in its event pump goes on while the menu is open.
void useActionsMenu(QWidget* window);

}  // namespace bhsim
