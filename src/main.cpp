#include <cstring>

#include "batch/batch_main.hpp"
#include "batch/merge.hpp"
#include "qt/gui_main.hpp"

// `bhsim` opens the two windows; `bhsim --batch ...` runs headless from the command line, and
// `bhsim --merge ...` joins the tables of a grid's shards.
int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--batch") == 0) return bhsim::batchMain(argc - 2, argv + 2);
  if (argc > 1 && std::strcmp(argv[1], "--merge") == 0) return bhsim::mergeMain({argv + 2, argv + argc});
  return bhsim::guiMain(argc, argv);
}
