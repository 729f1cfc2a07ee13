#include <csignal>
#include <cstdio>
#include <string_view>

#include "bhsim_version.hpp"
#include "cli/batch_main.hpp"
#include "cli/command_line.hpp"
#include "qt/gui_main.hpp"

// `bhsim` opens the two windows; `bhsim --batch ...` runs headless from the command line and
// `bhsim --merge ...` joins the tables of a grid's shards. `--help` and `--version` answer without a
// display.
int main(int argc, char** argv) {
  // A reader that goes away (a closed pipe) makes a write fail, which is reported; it must not end the
  // program silently.
  std::signal(SIGPIPE, SIG_IGN);
  // Likewise a file-size limit (ulimit -f): a write past it fails with EFBIG and is reported, and the
  // partial temporary file goes, instead of the program being killed with the file left behind.
  std::signal(SIGXFSZ, SIG_IGN);
  const std::string_view first = argc > 1 ? argv[1] : "";
  if (first == "--batch") return bhsim::batchMain(argc - 2, argv + 2);
  if (first == "--merge") return bhsim::mergeMain({argv + 2, argv + argc});
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::printf("%s\n%s", bhsim::kWindowUsage, bhsim::batchUsage().c_str());
      return 0;
    }
    if (arg == "--version") {
      std::printf("bhsim %s\n", bhsim::kBhsimVersion);
      return 0;
    }
  }
  return bhsim::guiMain(argc, argv);
}
