#include "qt/gui_main.hpp"

#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <memory>
#include <string>

#include "qt/desktop.hpp"
#include "qt/startup.hpp"

namespace bhsim {

const char* const kWindowUsage =
    "usage: bhsim [Qt options]\n"
    "       bhsim --batch [options] [FIELD=TEXT ...]\n"
    "       bhsim --merge OUT.csv IN.csv...\n"
    "       bhsim --help | --version\n"
    "\n"
    "Without arguments bhsim opens its two windows, \"Control Form\" and \"Display Form\". Qt's own\n"
    "options are taken (-platform NAME, -style NAME, -geometry WxH+X+Y, -reverse, ...); any other\n"
    "argument is an error. Right-click the display for \"Save Picture...\" (Ctrl+S), \"Copy Picture\"\n"
    "(Ctrl+C) and \"Show Signal\" (Ctrl+G, the gravitational-wave strain as the run goes), and the control\n"
    "window outside its fields for \"Copy Values\". Exit status: 0, or 2 for a bad argument or no display.\n";

namespace {

// Builds the application with Qt's start-up messages held, so a platform that cannot start gives one line.
std::unique_ptr<QApplication> startQt(int& argc, char** argv) {
  StartupMessages messages;
  return std::make_unique<QApplication>(argc, argv);
}

}  // namespace

int guiMain(int argc, char** argv) {
  if (const std::string why = missingDisplay(argc, argv); !why.empty()) {
    return reportNoDisplay(QString::fromStdString(why));
  }
  // Qt wants a private runtime folder; where the session provides none (a bare X server, a root shell)
  // it would make one itself, with a warning.
  ensureRuntimeDir("/tmp/runtime-" + std::to_string(::getuid()));
  const std::unique_ptr<QApplication> app = startQt(argc, argv);
  if (argc > 1) {
    std::fprintf(stderr, "bhsim: unknown argument %s (bhsim --help shows the usage)\n", argv[1]);
    return 2;
  }
  // The program ends by "End" or by closing either window (QtPlatform), never by Qt's own rule.
  QApplication::setQuitOnLastWindowClosed(false);
  Desktop desktop;
  desktop.show();
  QApplication::exec();
  return 0;
}

}  // namespace bhsim
