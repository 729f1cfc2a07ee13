// What the batch mode leaves where its outputs go when they cannot be written: one line, status 3, and
// nothing of its own behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>

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

// What a run killed while writing left beside each output (".NAME.XXXXXX") goes with the next run that
// writes it, whichever output it is.
TEST(OutputsThatCannotBeWritten, LeaveNoTemporaryOfAKilledRunBehind) {
  Folder folder("leftovers");
  const std::vector<std::string> outputs = {"j.json", "r.csv", "p.png", "t.csv", "s.csv"};
  for (const std::string& name : outputs) std::ofstream(folder.dir / ("." + name + ".Ab3xY9")) << "partial";
  ASSERT_EQ(folder.shell(kRun + " --json j.json --trace r.csv --png p.png --table t.csv --strain s.csv"), 0);
  std::vector<std::string> sorted = outputs;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(folder.names(), sorted);
}

// Each output goes to a place of its own, checked before anything is integrated: a clash or an output
// given twice is a bad argument, a place that cannot take a file stops the run before it starts (the
// JSON, which could be written, is not), and "-" is standard output for every output.
TEST(OutputsThatCannotBeWritten, AreRefusedBeforeTheRun) {
  Folder folder("clashes");
  const std::pair<std::string, std::string> clashes[] = {
      {" --table same.csv --json same.csv", "--table and --json both write 'same.csv'"},
      {" --table a.csv --table b.csv", "--table is given twice"},
      {" --json - --strain -", "--json and --strain both write '-'"},
      {" --trace t.csv --png ./t.csv", "--trace and --png both write './t.csv'"},
  };
  for (const auto& [args, message] : clashes) {
    EXPECT_EQ(folder.shell(kRun + args), 2) << args;
    EXPECT_NE(folder.err().find(message), std::string::npos) << folder.err();
  }
  EXPECT_EQ(folder.shell(kRun + " --json /dev/null --table /dev/null"), 0) << folder.err();
  EXPECT_EQ(folder.names(), std::vector<std::string>{});

  EXPECT_EQ(folder.shell(kRun + " --json ok.json --table missing/t.csv"), 3);
  EXPECT_EQ(folder.err(), "bhsim: cannot write table 'missing/t.csv': No such file or directory\n");
  EXPECT_EQ(folder.names(), std::vector<std::string>{});

  ASSERT_EQ(folder.shell(kRun + " --table t.csv --trace r.csv --strain s.csv"), 0);
  for (const char* output : {"--table", "--trace", "--strain"}) {
    ASSERT_EQ(folder.shell(kRun + " " + output + " - >out"), 0) << output;
    const char* file = output[2] == 't' ? (output[3] == 'a' ? "t.csv" : "r.csv") : "s.csv";
    EXPECT_EQ(slurp(folder.dir / "out"), slurp(folder.dir / file)) << output;
  }
}

}  // namespace
}  // namespace bhsim::testing
