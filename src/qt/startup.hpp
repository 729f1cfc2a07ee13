#pragma once

#include <QString>
#include <QtGlobal>
#include <string>
#include <vector>

namespace bhsim {

// Makes `dir` the private runtime folder Qt asks for (XDG_RUNTIME_DIR) when the session names none:
// creates it with mode 0700 when it is missing, and takes it only when the path itself (not a link) is a
// folder of this user's with mode 0700. Returns whether XDG_RUNTIME_DIR is set afterwards.
bool ensureRuntimeDir(const std::string& dir);

// Why no window system can be reached, judged from the environment and the command line before Qt
// starts ("DISPLAY is not set"); empty when Qt may try.
std::string missingDisplay(int argc, char** argv);

// Prints the one line that says the windows cannot open, and why; returns the exit status (2).
int reportNoDisplay(const QString& reason);

// Holds Qt's messages while the QApplication is being built. A platform that cannot start (Qt's fatal
// message) ends the program at once with reportNoDisplay's line and status 2 instead of Qt's abort;
// otherwise the held messages are passed on when this goes out of scope.
class StartupMessages {
 public:
  StartupMessages();
  ~StartupMessages();
  StartupMessages(const StartupMessages&) = delete;
  StartupMessages& operator=(const StartupMessages&) = delete;

 private:
  struct Held {
    QtMsgType type;
    const char* category;
    QString text;
  };
  static void hold(QtMsgType type, const QMessageLogContext& context, const QString& text);

  // Qt's message handler is a plain function: what it needs lives here while one of these exists.
  static inline QtMessageHandler previous_ = nullptr;
  static inline std::vector<Held> held_;
};

}  // namespace bhsim
