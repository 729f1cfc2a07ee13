#include "qt/gui_main.hpp"

#include <QApplication>

#include "qt/desktop.hpp"

namespace bhsim {

int guiMain(int argc, char** argv) {
  QApplication app(argc, argv);
  // The program ends by "End" or by closing either window (QtPlatform), never by Qt's own rule.
  QApplication::setQuitOnLastWindowClosed(false);
  Desktop desktop;
  desktop.show();
  QApplication::exec();
  return 0;
}

}  // namespace bhsim
