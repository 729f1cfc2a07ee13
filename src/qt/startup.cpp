#include "qt/startup.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace bhsim {
namespace {

bool isSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

bool ensureRuntimeDir(const std::string& dir) {
  if (std::getenv("XDG_RUNTIME_DIR") != nullptr) return true;
  // mkdir does not follow a link planted at the path, and lstat looks at the path itself.
  ::mkdir(dir.c_str(), 0700);
  struct stat info {};
  if (::lstat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid() ||
      (info.st_mode & 0777) != 0700) {
    return false;
  }
  return ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 0) == 0;
}

std::string missingDisplay(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-platform" || arg == "--platform") return {};
  }
  if (isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY")) return {};
  return "DISPLAY is not set";
}

int reportNoDisplay(const QString& reason) {
  std::fprintf(stderr, "bhsim: cannot open a display (%s); use bhsim --batch to run without windows\n",
               qPrintable(reason));
  return 2;
}

StartupMessages::StartupMessages() {
  held_.clear();
  previous_ = qInstallMessageHandler(&StartupMessages::hold);
}

StartupMessages::~StartupMessages() {
  qInstallMessageHandler(previous_);
  for (const Held& message : held_) {
    previous_(message.type, QMessageLogContext(nullptr, 0, nullptr, message.category), message.text);
  }
  held_.clear();
}

// The platform plugin explains its failure in a warning of its own (e.g. "could not connect to display
// :1") before Qt's fatal message; that explanation is the reason given.
void StartupMessages::hold(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  const char* category = context.category != nullptr ? context.category : "default";
  if (type != QtFatalMsg) {
    held_.push_back({type, category, text});
    return;
  }
  QString reason = text.section(QLatin1Char('\n'), 0, 0);
  for (const Held& message : held_) {
    if (std::string_view(message.category).starts_with("qt.qpa")) {
      reason = message.text.trimmed();
      break;
    }
  }
  reportNoDisplay(reason);
  std::fflush(stderr);
  std::_Exit(2);
}

}  // namespace bhsim
