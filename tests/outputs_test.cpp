// What the batch mode leaves where its outputs go when they cannot be written: one line, status 3, and
// nothing of its own behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>

#include "support.hpp"

namespace bhsim::testing {
namespace {

namespace fs = std::filesystem;

// A scratch folder of its own, and a shell in it whose standard error goes to `err`.
struct Folder {
  explicit Folder(const std::string& name) : dir(scratch(name)) {
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  int shell(const std::string& command) const {
    const std::string line = "cd " + dir.string() + " && bash -c '" + command + "' 2>err";
    const int raw = std::system(line.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  // The names in the folder but `err`, sorted.
  std::vector<std::string> names() const {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir))
      if (entry.path().filename() != "err") found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    return found;
  }
  std::string err() const { return slurp(dir / "err"); }
  fs::path dir;
};

const std::string kRun = std::string(BHSIM_BINARY) + " --batch --bh 2 Tmaxcount=3000 --refresh-every 900";

// A file-size limit makes the write fail (the program does not die of SIGXFSZ with its temporary file
// half-written), and a chain of links that loops is no file to replace.
TEST(OutputsThatCannotBeWritten, ExitThreeWithOneLineAndLeaveNothing) {
  Folder folder("unwritable");
  EXPECT_EQ(folder.shell("trap - XFSZ; ulimit -f 2; exec " + kRun + " Tmaxcount=30000 --trace big.csv"), 3);
  EXPECT_EQ(folder.err(), "bhsim: cannot write trace 'big.csv': File too large\n");
  EXPECT_EQ(folder.names(), std::vector<std::string>{});

  ASSERT_EQ(folder.shell("ln -s loop1 loop2 && ln -s loop2 loop1 && " + kRun + " --json loop1"), 3);
  const std::string err = folder.err();
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"loop1", "loop2"}));
  for (const char* link : {"loop1", "loop2"}) EXPECT_TRUE(fs::is_symlink(folder.dir / link)) << link;
}

}  // namespace
}  // namespace bhsim::testing
