#pragma once

namespace bhsim {

// Starts the desktop program: both windows, driven by the core; returns the exit status.
int guiMain(int argc, char** argv);

}  // namespace bhsim
