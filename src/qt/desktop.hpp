#pragma once

#include <memory>

#include "program/program.hpp"
#include "qt/control_window.hpp"
#include "qt/display_window.hpp"
#include "qt/qt_platform.hpp"
#include "qt/signal_window.hpp"

namespace bhsim {

// The desktop program: the core on the Qt platform with its two windows, and the Signal window the display
// window's "Show Signal" (Ctrl+G) opens. Needs a QApplication.
class Desktop {
 public:
  // Loads the program (load) and builds both windows from the models it left.
  Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  // Shows the control window and, when the model has shown it, the display window.
  void show();

  QtPlatform platform;
  Program program{platform};
  std::unique_ptr<ControlWindow> control;
  std::unique_ptr<DisplayWindow> display;
  std::unique_ptr<SignalWindow> signal;
};

}  // namespace bhsim
