// Grids of runs: each point the run with its values typed in, shards and their merge, refused points, the
// journal and a grid killed or interrupted and resumed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "batch/batch_run.hpp"
#include "batch/interrupt.hpp"
#include "grid/grid_run.hpp"
#include "grid/journal.hpp"
#include "support.hpp"

namespace bhsim::testing {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

const std::string kGrid =
    "--batch --bh 2 Tmaxcount=1000 --refresh-every 250 --sweep TBH2=10:30:10 --sweep Tdm1=0,5";

TEST(BatchGrid, EachPointIsTheRunWithItsValuesTypedInAndOnlyWholeShardsMerge) {
  const std::string whole = path("grid.csv");
  Outcome o = ran(kGrid + " --jobs 2 --table " + whole + " --json -");
  const auto rows = readCsv(whole);
  ASSERT_EQ(rows.size(), 1 + 6u);
  const Json description = Json::parse(slurp(whole + ".grid.json"));
  EXPECT_EQ(std::tuple(description["sweeps"], description["points"], description["columns"]),
            std::tuple(Json{"TBH2=10:30:10", "Tdm1=0,5"}, 6, Json(rows[0])));
  EXPECT_EQ(std::vector<std::string>(rows[0].begin(), rows[0].begin() + 4),
            (std::vector<std::string>{"point", "TBH2", "Tdm1", "configuration"}));
  std::istringstream lines(o.out);
  std::string line;
  for (int p = 0; p < 6; ++p) {
    const std::string bh2 = std::to_string(10 * (p / 2 + 1)), dm1 = p % 2 ? "5" : "0";
    EXPECT_EQ(std::vector<std::string>(rows[1 + p].begin(), rows[1 + p].begin() + 3),
              (std::vector<std::string>{std::to_string(p), bh2, dm1}));
    bhsim("--batch --bh 2 Tmaxcount=1000 --refresh-every 250 TBH2=" + bh2 + " Tdm1=" + dm1 +
          " --json - --table " + path("one.csv"));
    EXPECT_EQ(std::vector<std::string>(rows[1 + p].begin() + 3, rows[1 + p].end()),
              readCsv(path("one.csv")).at(1))
        << p;
    ASSERT_TRUE(std::getline(lines, line));
    const Json j = Json::parse(line);
    EXPECT_EQ(std::tuple(j["point"], j["TBH2"], j["Tdm1"], j["end_wait"]["fields"]["Tdm1"]),
              std::tuple(p, bh2, dm1, dm1));
  }
  EXPECT_FALSE(std::getline(lines, line));
  o = bhsim(kGrid + " --jobs 1 --table " + path("grid1.csv"));
  EXPECT_EQ(slurp(path("grid1.csv")), slurp(whole));
  for (int k = 1; k <= 4; ++k)
    bhsim(kGrid + " --shard " + std::to_string(k) + "/4 --table " + path("s" + std::to_string(k)));
  EXPECT_EQ(readCsv(path("s4")).size(), 2u);  // header and point 3
  const std::string shards = path("s3") + " " + path("s1") + " " + path("s4") + " " + path("s2");
  ran("--merge " + path("merged.csv") + " " + shards);
  EXPECT_EQ(slurp(path("merged.csv")), slurp(whole));
  EXPECT_EQ(slurp(path("merged.csv.grid.json")), slurp(whole + ".grid.json"));  // without the shard
}

TEST(BatchGrid, MergeRefusesMissingDoubledOrForeignRowsAndWritesNothing) {
  for (int k = 1; k <= 3; ++k)
    bhsim(kGrid + " --shard " + std::to_string(k) + "/3 --table " + path("m" + std::to_string(k)));
  std::ofstream(path("short")) << slurp(path("m1")) << "0,10,0,1\n";
  fs::copy_file(path("m1.grid.json"), path("short.grid.json"), fs::copy_options::overwrite_existing);
  fs::copy_file(path("m1"), path("bare"), fs::copy_options::overwrite_existing);
  bhsim(kGrid + " Tmaxcount=2000 --shard 1/3 --table " + path("other"));
  bhsim("--batch --bh 2 Tmaxcount=100 --sweep TBH2=1:41:1 --shard 1/2 --table " + path("even"));
  const std::string m1 = path("m1"), m2 = path("m2"), m3 = path("m3"), out = path("out.csv");
  const std::tuple<std::string, int, std::string> cases[] = {
      {m1 + " " + m2, 1, "missing points 2, 5"},
      {m1 + " " + m2 + " " + m3 + " " + m1, 1, "points given more than once: 0, 3\n"},
      {path("even") + " " + path("even"), 1,
       "points given more than once: 0, 2, 4, 6, 8, 10, 12, 14, 16, "
       "18, 20, 22, 24, 26, 28, 30, 32, 34, 36, 38 and 1 more\n"},
      {path("short") + " " + m2 + " " + m3, 2, "columns"},
      {path("other") + " " + m2 + " " + m3, 2, "different"},
      {path("bare") + " " + m2 + " " + m3, 2, "no grid description"},
      {path("nothing") + " " + m2, 2, "cannot read"}};
  for (const auto& [inputs, status, message] : cases) {
    const Outcome o = bhsim("--merge " + out + " " + inputs);
    EXPECT_EQ(o.status, status) << inputs;
    EXPECT_NE(o.err.find(message), std::string::npos) << o.err;
    EXPECT_FALSE(fs::exists(out));
  }
  EXPECT_EQ(bhsim("--merge /nonexistent-dir/out.csv " + m1 + " " + m2 + " " + m3).status, 3);
}

// Starts `bhsim ARGS` with SIGINT and SIGTERM at their defaults; its process id.
pid_t spawn(const std::string& args) {
  const pid_t pid = fork();
  if (pid == 0) {
    signal(SIGINT, SIG_DFL);
    execl("/bin/sh", "sh", "-c", ("exec " + std::string(BHSIM_BINARY) + " " + args).c_str(), nullptr);
    _exit(127);
  }
  return pid;
}

// The temporary files beside `target`.
int temporaries(const std::string& target) {
  const std::string prefix = "." + fs::path(target).filename().string() + ".";
  return static_cast<int>(
      std::count_if(fs::directory_iterator(fs::path(target).parent_path()), {},
                    [&](const auto& e) { return e.path().filename().string().rfind(prefix, 0) == 0; }));
}

int stopAndWait(pid_t pid, int signal) {
  kill(pid, signal);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(BatchGrid, AGridKilledOrInterruptedResumesToTheSameBytes) {
  const std::string grid =
      "--batch --bh 2 Tmaxcount=5000 --sweep TBH2=1:500:1 --sweep integrator=euler,ias15 --jobs 2 --quiet "
      "--table ";
  const std::string err = " 2>" + path("err");
  const std::string table = path("resumed.csv"), journal = table + ".journal";
  ran(grid + path("whole.csv"));
  for (int signal : {SIGKILL, SIGINT, SIGTERM}) {
    std::ofstream(table) << "old\n";
    const pid_t pid = spawn(grid + table + err);
    for (int i = 0; i < 20000 && !(fs::exists(journal) && lineCount(slurp(journal)) > 50); ++i) usleep(500);
    EXPECT_EQ(stopAndWait(pid, signal), 128 + signal);
    EXPECT_EQ(std::tuple(slurp(table), temporaries(table)), std::tuple("old\n", signal == SIGKILL));
    const std::string recorded = slurp(journal);
    const long points = lineCount(recorded) - 1;
    if (signal == SIGKILL) {  // a record cut short, a run without --resume and one of another grid
      std::ofstream(journal, std::ios::app) << recorded.substr(recorded.find('\n') + 1, 40);
      for (const char* more : {"", " --resume Tmaxcount=4000"}) {
        const Outcome o = bhsim(grid + table + more);
        const bool named = o.err.find(*more ? "another grid" : "--resume") != std::string::npos;
        EXPECT_EQ(std::tuple(o.status, lineCount(o.err), named), std::tuple(2, 1, true)) << o.err;
      }
      EXPECT_EQ(slurp(journal), recorded + recorded.substr(recorded.find('\n') + 1, 40));
    }
    const Outcome o = bhsim(grid + table + " --resume");
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.err.find(std::to_string(points) + " of 1000 points recorded in '" + journal + "', " +
                         std::to_string(1000 - points) + " to run"),
              std::string::npos)
        << o.err;
    EXPECT_EQ(slurp(table), slurp(path("whole.csv")));
    EXPECT_EQ(std::tuple(fs::exists(journal), temporaries(table)), std::tuple(false, 0));
  }
  // a single run interrupted (its configurations in threads) says where it stopped, writes nothing and
  // leaves no temporary file
  std::ofstream(table) << "old\n";
  const pid_t pid = spawn("--batch --bh 3 Tmaxcount=1000000 --jobs 2 --table " + table + err);
  for (int i = 0; i < 20000 && temporaries(table) == 0; ++i) usleep(500);
  EXPECT_EQ(stopAndWait(pid, SIGINT), 130);
  EXPECT_EQ(std::tuple(slurp(table), temporaries(table)), std::tuple("old\n", 0));
  // the steps of every thread: at least a thousand (an event pump's) in the first worker's configuration
  // and in the run's own, which it took up when that worker stopped
  const std::string said = slurp(path("err"));
  long steps = 0, finished = -1;
  EXPECT_EQ(std::sscanf(said.c_str(), "bhsim: interrupted after %ld steps, %ld of 37 configurations finished",
                        &steps, &finished),
            2)
      << said;
  EXPECT_GE(steps, 2000) << said;
  EXPECT_LT(finished, 37) << said;
}

// A program that runs the batch mode stops it with a request of its own: asked on its thread alone, it
// stops a sweep's threads and a grid's points, and nothing is written.
TEST(BatchGrid, AStopRequestStopsARunAndAGridInEveryThread) {
  std::atomic<int> polls = 0, foreign = 0;
  const std::thread::id owner = std::this_thread::get_id();
  const auto thirdPollStops = [&] {
    foreign += std::this_thread::get_id() != owner;
    return ++polls % 3 == 0 ? SIGINT : 0;
  };
  StopRequest forRun(thirdPollStops), forGrid(thirdPollStops);
  BatchOptions endless;
  endless.bodyCount = 3;
  endless.jobs = 2;
  endless.fields = {{RevolutionsField, "0"}, {TotalTimeField, "1e9"}};
  endless.stop = &forRun;
  EXPECT_EQ(runBatch(endless).interrupted, SIGINT);
  GridOptions grid;
  grid.point = endless;
  grid.point.stop = &forGrid;
  grid.jobs = 2;
  std::string error;
  grid.axes = {*parseGridAxis("TBH2=1:4:1", error)};
  std::ostringstream table, messages;
  std::tie(grid.tableStream, grid.messages) = std::tuple(&table, &messages);
  EXPECT_EQ(runGrid(grid), 130);
  const std::string rows = table.str();
  EXPECT_EQ(std::tuple(polls.load(), foreign.load(), std::count(rows.begin(), rows.end(), '\n')),
            std::tuple(6, 0, 1));  // the header alone
  EXPECT_NE(messages.str().find("interrupted"), std::string::npos);
}

// A journal is data from outside: every record read back is checked (a point of the grid, once, rows of
// the table's columns with numbers where numbers belong, its JSON line), and a bad one is refused with
// the line named, the journal untouched.
TEST(Journal, EveryRecordReadBackIsChecked) {
  const std::string table = path("checked.csv"), journal = table + ".journal";
  const std::string grid =
      "--batch --bh 2 Tmaxcount=1000 --refresh-every 500 --sweep TBH2=1:3:1 --quiet --jobs 1 "
      "--json /dev/full --table " +
      table;
  fs::remove(journal);
  ASSERT_EQ(bhsim(grid).status, 3);  // the JSON cannot be written: the journal stays with three records
  const std::string kept = slurp(journal);
  std::vector<std::string> records;
  std::istringstream in(kept);
  for (std::string line; std::getline(in, line);) records.push_back(line);
  ASSERT_EQ(records.size(), 4u);
  const Json first = Json::parse(records[1]);
  Json badCell = first;
  std::string rows = first["rows"];
  const std::size_t m1 = rows.find(",revolutions,2,") + 15;  // the cell after end_reason and bodies_left
  badCell["rows"] = rows.replace(m1, rows.find(',', m1) - m1, "x");
  Json fewer = first;
  fewer["rows"] = "0,1,1,0\n";
  const std::pair<std::string, std::string> bad[] = {
      {R"({"point":5,"steps":1,"rows":"hello\n"})", "point 5 is not a point of this grid"},
      {R"({"point":1,"steps":1,"rows":"hello\n","json":"{}\n"})", "a row not of point 1"},
      {records[1], "point 0 recorded a second time"},
      {badCell.dump(), "'x' where m1_msun belongs"},
      {fewer.dump(), "a row without the table's columns"},
      {"not json", "no record"},
  };
  for (const auto& [line, why] : bad) {
    std::ofstream(journal) << records[0] << "\n" << records[1] << "\n" << line << "\n";
    const Outcome o = bhsim(grid + " --resume");
    EXPECT_EQ(o.status, 2) << line;
    EXPECT_NE(o.err.find("line 3 of the journal '" + journal + "': " + why), std::string::npos) << o.err;
    EXPECT_EQ(slurp(journal), records[0] + "\n" + records[1] + "\n" + line + "\n");
  }
  fs::remove(journal);
}

// A record that cannot be written (the file may not grow: EFBIG) is not taken for a written one: the
// journal says so when it closes.
TEST(Journal, ARecordThatCannotBeWrittenIsReportedAtTheClose) {
  const std::string file = path("full.journal");
  fs::remove(file);
  JournalError error;
  const auto journal = Journal::open(
      file, {{"journal", "test"}}, false, [](const PointRecord&) { return std::string(); }, error);
  ASSERT_TRUE(journal) << error.message;
  PointRecord record;
  record.tableRows = std::string(4096, 'x') + "\n";
  rlimit before{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
  rlimit limit = before;
  limit.rlim_cur = fs::file_size(file) + 100;
  const auto handler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  journal->append(record);
  setrlimit(RLIMIT_FSIZE, &before);
  signal(SIGXFSZ, handler);
  EXPECT_FALSE(journal->close());
}

}  // namespace
}  // namespace bhsim::testing
