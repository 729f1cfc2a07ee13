#pragma once

namespace bhsim {

// The window mode's part of `bhsim --help`: the synopsis of every mode and what the windows take.
extern const char* const kWindowUsage;

// Starts the desktop program: both windows, driven by the core; returns the exit status. Qt takes its
// own options out of argv; any other argument is refused (status 2), as is a display that cannot open.
int guiMain(int argc, char** argv);

}  // namespace bhsim
