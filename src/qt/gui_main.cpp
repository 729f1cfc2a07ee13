#include "qt/gui_main.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <cstdlib>
#include <string>

#include "qt/desktop.hpp"

namespace bhsim {

namespace {

// Qt wants a private runtime folder; where the session provides none (a bare X server, a root shell) it
// makes one itself, with a warning. Making it first keeps the start quiet.
void ensureRuntimeDir() {
  if (std::getenv("XDG_RUNTIME_DIR") != nullptr) return;
  const std::string dir = "/tmp/runtime-" + std::to_string(::getuid());
  ::mkdir(dir.c_str(), 0700);
  struct stat info {};
  if (::stat(dir.c_str(), &info) == 0 && info.st_uid == ::getuid() && (info.st_mode & 0777) == 0700) {
    ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 0);
  }
}

}  // namespace

int guiMain(int argc, char** argv) {
  ensureRuntimeDir();
  QApplication app(argc, argv);
  // The program ends by "End" or by closing either window (QtPlatform), never by Qt's own rule.
  QApplication::setQuitOnLastWindowClosed(false);
  Desktop desktop;
  desktop.show();
  QApplication::exec();
  return 0;
}

}  // namespace bhsim
