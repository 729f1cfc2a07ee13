#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>

namespace bhsim {

// Gives a window a context menu of its actions that does not block: the menu pops up and the caller
// returns, so a run that met the right click in its event pump goes on while the menu is open.
void useActionsMenu(QWidget* window);

// Gives a window showing a picture its actions "Save Picture…" (Ctrl+S), which asks where to save without
// blocking (a run goes on integrating while the user chooses; `suggested` is the file name offered), and
// "Copy Picture" (Ctrl+C). `picture` makes the image at the moment of the action; `save` writes it.
void addPictureActions(QWidget* window, const QString& suggested, std::function<QImage()> picture,
                       std::function<bool(const QString&)> save);

// Writes `image` to `path` as PNG; a failure is told in a message box over `window` that does not block.
bool savePictureOrSay(QWidget* window, const QImage& image, const QString& path);

}  // namespace bhsim
