#include <cstring>

#include "batch/batch_main.hpp"
#include "qt/gui_main.hpp"

// `bhsim` opens the two windows; `bhsim --batch ...` runs headless from the command line.
int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--batch") == 0) return bhsim::batchMain(argc - 2, argv + 2);
  return bhsim::guiMain(argc, argv);
}
