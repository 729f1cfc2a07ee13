// Where the batch mode's outputs go: written through to pipes, descriptors and links; and when they cannot
// be written, one line, status 3, and nothing of its own behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>

#include "support.hpp"

namespace bhsim::testing {
namespace {

namespace fs = std::filesystem;

// A scratch folder of its own, emptied, and a shell in it whose standard error goes to `err`.
struct Folder {
  explicit Folder(const std::string& name) : dir(scratch(name)) {
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  int shell(const std::string& command) const {
    return shellStatus("cd " + dir.string() + " && bash -c '" + command + "' 2>err");
  }
  // The names in the folder but `err`, sorted.
  std::vector<std::string> names() const {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir))
      if (entry.path().filename() != "err") found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    return found;
  }
  // The type bits of `name` itself (a link is not followed), 0 when there is nothing of that name.
  unsigned type(const std::string& name) const {
    struct stat s {};
    return lstat((dir / name).c_str(), &s) == 0 ? s.st_mode & S_IFMT : 0;
  }
  std::string err() const { return slurp(dir / "err"); }
  fs::path dir;
};

const std::string kRun = std::string(BHSIM_BINARY) + " --batch --bh 2 Tmaxcount=3000 --refresh-every 900";

// Outputs go where the user points them: a FIFO, a descriptor, standard output or a link is written
// through, never replaced by a file of its own. No test here points at a real device.
TEST(Outputs, FifosDescriptorsAndLinksAreWrittenThroughNotReplaced) {
  Folder folder("through");
  const auto file = [&folder](const std::string& name) { return slurp(folder.dir / name); };
  ASSERT_EQ(folder.shell(kRun + " --json plain.json --table plain.csv --trace plain.trace"), 0);
  ASSERT_EQ(folder.shell("mkfifo j t r && { cat j >got.json & cat t >got.csv & cat r >got.trace & " + kRun +
                         " --json j --table t --trace r; s=$?; wait; exit $s; }"),
            0);
  for (const char* fifo : {"j", "t", "r"}) EXPECT_EQ(folder.type(fifo), S_IFIFO) << fifo;
  ASSERT_EQ(folder.shell("echo old >real.json && chmod 640 real.json && ln -s real.json link.json && " +
                         kRun + " --json link.json"),
            0);
  EXPECT_EQ(std::tuple(folder.type("link.json"), folder.type("real.json")), std::tuple(S_IFLNK, S_IFREG));
  EXPECT_EQ(fs::status(folder.dir / "real.json").permissions(), fs::perms(0640));  // its bits kept
  ASSERT_EQ(folder.shell("{ " + kRun + " --table /dev/fd/3 3>&1 >out; } | cat >piped.csv"), 0);
  ASSERT_EQ(folder.shell("echo x >appended.csv && " + kRun + " --table /dev/fd/3 3>>appended.csv"), 0);
  const std::string json = file("plain.json"), table = file("plain.csv");
  EXPECT_EQ(std::tuple(file("got.json"), file("got.csv"), file("got.trace")),
            std::tuple(json, table, file("plain.trace")));
  EXPECT_EQ(std::tuple(file("real.json"), file("piped.csv"), file("appended.csv")),
            std::tuple(json, table, "x\n" + table));
  for (const std::string output : {"--table", "--trace", "--strain"}) {
    ASSERT_EQ(folder.shell(kRun + " " + output + " - >out && " + kRun + " " + output + " file"), 0) << output;
    EXPECT_EQ(file("out"), file("file")) << output;
  }
}

// A file-size limit makes the write fail, whether the program inherits SIGXFSZ ignored or at its default
// (it does not die of it with its temporary file half-written); a chain of links that loops is no file to
// replace; a reader that goes away early closes the pipe.
TEST(OutputsThatCannotBeWritten, ExitThreeWithOneLineAndLeaveNothing) {
  Folder folder("unwritable");
  EXPECT_EQ(folder.shell("trap - XFSZ; ulimit -f 2; exec " + kRun + " Tmaxcount=30000 --trace big.csv"), 3);
  EXPECT_EQ(folder.err(), "bhsim: cannot write trace 'big.csv': File too large\n");
  EXPECT_EQ(folder.names(), std::vector<std::string>{});
  EXPECT_EQ(folder.shell("trap \"\" XFSZ; ulimit -f 2; " + kRun + " --json big.json"), 3);
  EXPECT_EQ(folder.err(), "bhsim: cannot write JSON 'big.json': File too large\n");
  EXPECT_EQ(folder.names(), std::vector<std::string>{});

  ASSERT_EQ(folder.shell("ln -s loop1 loop2 && ln -s loop2 loop1 && " + kRun + " --json loop1"), 3);
  EXPECT_EQ(lineCount(folder.err()), 1) << folder.err();
  EXPECT_EQ(folder.names(), (std::vector<std::string>{"loop1", "loop2"}));
  for (const char* link : {"loop1", "loop2"}) EXPECT_EQ(folder.type(link), S_IFLNK) << link;

  ASSERT_EQ(
      folder.shell("{ " + std::string(BHSIM_BINARY) +
                   " --batch --bh 2 --refresh-every 900 --trace /dev/fd/3 3>&1 >out; echo $? >status; } | "
                   "head -c 10 >head"),
      0);
  EXPECT_EQ(std::tuple(slurp(folder.dir / "status"), folder.err()),
            std::tuple("3\n", "bhsim: cannot write trace '/dev/fd/3': Broken pipe\n"));
}

// What a run killed while writing left beside each output (".NAME.XXXXXX") goes with the next run that
// writes it, whichever output it is.
TEST(OutputsThatCannotBeWritten, LeaveNoTemporaryOfAKilledRunBehind) {
  Folder folder("leftovers");
  const std::vector<std::string> outputs = {"j.json", "p.png", "r.csv", "s.csv", "t.csv"};
  for (const std::string& name : outputs) std::ofstream(folder.dir / ("." + name + ".Ab3xY9")) << "partial";
  ASSERT_EQ(folder.shell(kRun + " --json j.json --trace r.csv --png p.png --table t.csv --strain s.csv"), 0);
  EXPECT_EQ(folder.names(), outputs);
}

// Each output goes to a place of its own, checked before anything is integrated: a clash or an output
// given twice is a bad argument, and a place that cannot take a file stops the run before it starts (the
// JSON, which could be written, is not).
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
}

}  // namespace
}  // namespace bhsim::testing
