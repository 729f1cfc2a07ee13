// `bhsim --batch`: the command line, one run's files, its table's columns, its angle sweep in threads and
// its progress line.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <cmath>
#include <nlohmann/json.hpp>

#include "batch/table.hpp"
#include "cli/command_line.hpp"
#include "format/number_text.hpp"
#include "format/truncate.hpp"
#include "grid/grid_description.hpp"
#include "support.hpp"

namespace bhsim::testing {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

TEST(BatchOptions, ReadsEveryOptionAndNamesTheFirstBadOne) {
  // clang-format off
  const ParsedCommand p = parseBatchCommand(
      {"--bh", "+3", "--refresh-every=500", "--max-steps", "0", "--json", "-", "--table=t.csv", "TBH1=7",
       "Tdist01=", "--sweep", "TBH2=5:1:-2", "--sweep=Tdm1=1.5,+2,1e1", "--shard", "2/3", "--jobs", "4"});
  ASSERT_EQ(p.error, "");
  const GridOptions& grid = std::get<GridOptions>(p.command);
  const BatchOptions& point = grid.point;
  EXPECT_EQ(std::tuple(point.bodyCount, point.refreshEvery, *point.maxSteps, grid.jsonPath, grid.tablePath,
                       grid.shardIndex, grid.shardCount, grid.jobs),
            std::tuple(3, 500, 0, "-", "t.csv", 2, 3, 4));
  // the outputs and threads are the grid's: a point's run writes no file of its own
  EXPECT_EQ(std::tuple(point.jsonPath, point.tablePath, point.jobs), std::tuple("", "", 0));
  EXPECT_EQ(point.fields, (Fields{{Mass1Field, "7"}, {Distance12Field, ""}}));
  ASSERT_EQ(grid.axes.size(), 2u);
  EXPECT_EQ(grid.axes[0].texts, (std::vector<std::string>{"5", "3", "1"}));
  EXPECT_EQ(grid.axes[1].texts, (std::vector<std::string>{"1.5", "2", "10"}));
  const auto axis = [](const std::string& given) {
    return std::get<GridOptions>(parseBatchCommand({"--sweep", given}).command).axes.at(0).texts;
  };
  EXPECT_EQ(axis("Tdm1=0:0.3:0.1"), (std::vector<std::string>{"0", "0.1", "0.2", "0.3"}));  // TO on the grid
  EXPECT_EQ(axis("Tdm1=0:1:0.3").back(), "0.9");
  EXPECT_EQ(axis("Tdm1=1.005:9.005:1").at(7), "8.005");  // 1.005 + 7 is 8.004999999999999 unrounded
  const ParsedCommand single =
      parseBatchCommand({"--json", "-", "--table", "t.csv", "--jobs", "2", "--strain", "s", "--distance-mpc", "+5"});
  const BatchOptions& run = std::get<BatchOptions>(single.command);
  EXPECT_EQ(std::tuple(run.jsonPath, run.tablePath, run.jobs, run.distanceMpc, run.bodyCount),
            std::tuple("-", "t.csv", 2, 5.0, 1));  // without --bh, one black hole
  const std::pair<std::vector<std::string>, std::string> bad[] = {
      {{"--bh", "4"}, "'4'"}, {{"--bh"}, "--bh"}, {{"--refresh-every", "0"}, "'0'"}, {{"--png="}, "--png"},
      {{"--frobnicate"}, "--frobnicate"}, {{"LBH1=x"}, "LBH1=x"}, {{"tbh1=3"}, "tbh1=3"}, {{"TBH1"}, "TBH1"},
      {{"--sweep", "TBH2=1:5:0"}, "is 0"}, {{"--sweep", "TBH2=5:1:1"}, "away"},
      {{"--sweep", "TBH2=1,x"}, "'x'"}, {{"--sweep", "LBH2=1"}, "LBH2=1"},
      {{"--sweep", "TBH2=1:1000001:1"}, "1000000 values"},
      {{"--sweep", "TBH2=1:1000:1", "--sweep", "TBH1=1:1001:1"}, "1000000 points"},
      {{"--shard", "0/2", "--sweep", "TBH2=1"}, "'0/2'"}, {{"--shard", "3/2"}, "'3/2'"},
      {{"--shard", "2/2"}, "grid"}, {{"--sweep", "TBH2=1", "--png", "p"}, "--png"}, {{"--resume"}, "grid"},
      {{"--sweep", "TBH1=1:3:1", "--sweep", "TBH2=1", "--sweep", "TBH1=1:2:1"}, "TBH1 is swept twice"},
      {{"--sweep", "TBH2=1", "--strain", "s"}, "--strain"}, {{"--distance-mpc", "0"}, "'0'"},
      {{"--distance-mpc", "-3"}, "'-3'"}, {{"--distance-mpc", "far"}, "'far'"}, {{"--strain-rate", "0"}, "'0'"},
      {{"--strain-rate", "-1"}, "'-1'"}, {{"--strain-rate", "2e6"}, "at most"}, {{"--inclination-deg", "nan"}, "'nan'"},
      {{"--inclination-deg", "x"}, "'x'"}, {{"--bh", "+-2"}, "'+-2'"}, {{"--distance-mpc", "++5"}, "'++5'"},
      {{"--sweep", "TBH2=+-1"}, "'+-1'"}, {{"--inclination-deg", "30"}, "needs --strain FILE"},
      {{"--gravity", "1pn", "--sweep", "gravity=1pn,2.5pn"}, "both choose the law of gravity"}};
  // clang-format on
  for (const auto& [args, named] : bad) {
    const std::string error = parseBatchCommand(args).error;
    EXPECT_NE(error.find(named), std::string::npos) << args[0] << ": " << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
}

TEST(BatchCli, ExitStatusesAndWhatEachWrites) {
  const std::string usage = bhsim("--batch --help").out;
  EXPECT_NE(usage.find("--sweep FIELD=FROM:TO:STEP"), std::string::npos);
  // every field a FIELD=TEXT can name is listed, with the defaults of one, two and three black holes
  for (const ControlDesign& design : controlTable()) {
    if (design.kind != ControlKind::TextField) continue;
    EXPECT_NE(usage.find("\n  " + std::string(design.name) + " "), std::string::npos) << design.name;
  }
  EXPECT_NE(usage.find("\n  TBH1        \"BH 1\"         10000    36       36 "), std::string::npos) << usage;
  const Outcome version = bhsim("--batch --version");
  EXPECT_EQ(std::tuple(version.status, version.out), std::tuple(0, bhsim("--version").out));
  // a strain sampled faster than the run steps says once that samples repeat
  const std::string strain =
      "--batch --bh 2 Tmaxcount=1000 --refresh-every 1000 --strain /dev/null --strain-rate ";
  for (const std::string rate : {"4096", "100000"})
    EXPECT_EQ(lineCount(bhsim(strain + rate).err), rate == "4096" ? 0 : 1) << rate;
  const std::string json = path("bad.json");
  for (const char* bad : {" TBH9=1", " --distance-mpc 0", " --strain-rate 0", " --inclination-deg x"}) {
    const Outcome o = bhsim("--batch --json " + json + bad);
    EXPECT_EQ(std::tuple(o.status, lineCount(o.err), fs::exists(json)), std::tuple(2, 1, false)) << bad;
  }
  for (const char* args : {"--bh 2 Tmaxcount=0", "--bh 3 Tdalpha=0", "--bh 2 Tnrev=0 Ttotaltime=0"}) {
    const Outcome o =
        bhsim(std::string("--batch ") + args + " TBH3=7 --json - --table " + path("refused.csv"));
    EXPECT_EQ(o.status, 1) << args;
    const Json j = Json::parse(o.out);
    EXPECT_EQ(std::tuple(j["end_wait"].is_null(), j["configurations"], j["steps"]), std::tuple(true, 0, 0))
        << args;
    EXPECT_EQ(j["idle"]["fields"]["TBH3"], "7");
    for (const auto& file : fs::directory_iterator(scratch("").parent_path()))  // nor its temporary file
      EXPECT_EQ(file.path().filename().string().find("refused.csv"), std::string::npos) << file.path();
  }
}

// A run stopped by its step budget: the stop at the pump of step 1000000 is acted on at step 1001000;
// the trace (over 64 KiB, more than the output buffer holds) is relative to the centre of mass in every
// row, the PNG is the display, and each file gets a new file's permissions.
TEST(BatchCli, AStoppedRunWritesItsTableTraceAndPng) {
  const std::string table = path("s.csv"), trace = path("trace.csv"), png = path("display.png"),
                    json = path("s.json");
  ran("--batch TBH1=40 --bh 2 Tmaxcount=20000 Tnrev=0 Ttotaltime=0 Tdm1=0 Tdm2=0 --max-steps 1000000 "
      "--refresh-every 900 --json " +
      json + " --table " + table + " --trace " + trace + " --png " + png);
  const Json j = Json::parse(slurp(json));
  EXPECT_EQ(j["steps"], 1001000);
  EXPECT_EQ(readCsv(table).at(1).at(4), "stopped");
  EXPECT_EQ(std::tuple(j["idle"]["fields"]["TBH1"], j["idle"]["fields"]["TnBH"]), std::tuple(" 40", " 2"));
  EXPECT_EQ(std::tuple(j["end_wait"]["captions"]["CommandStart"], j["idle"]["captions"]["Lnrev"]),
            std::tuple("Next", "n rev"));
  const mode_t mask = umask(0);
  umask(mask);
  for (const std::string& file : {table, trace, png, json})
    EXPECT_EQ(static_cast<mode_t>(fs::status(file).permissions()), 0666 & ~mask) << file;
  const auto rows = readCsv(trace);
  ASSERT_EQ(rows.size(), 1 + 2 * 1001u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"configuration", "step", "body", "x_km", "y_km"}));
  for (std::size_t i = 1; i + 1 < rows.size(); i += 2) {
    EXPECT_EQ(std::tuple(rows[i][1], rows[i][2], rows[i + 1][2]),
              std::tuple(std::to_string((i + 1) * 500), "1", "2"));
    const double x1 = std::stod(rows[i][3]), x2 = std::stod(rows[i + 1][3]);
    const double y1 = std::stod(rows[i][4]), y2 = std::stod(rows[i + 1][4]), scale = std::hypot(x1, y1);
    EXPECT_LT(std::hypot(40 * x1 + 29 * x2, 40 * y1 + 29 * y2), 1e-6 * scale) << "about the centre";
  }
  QImage image(QString::fromStdString(png));
  ASSERT_EQ(std::tuple(image.width(), image.height()), std::tuple(150, 200));
  std::map<QRgb, int> colours;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 150; ++x) ++colours[image.pixel(x, y) & 0xFFFFFF];
  // white ground, black 1, bright red 2, the blue centre of mass of the set-up
  EXPECT_EQ(colours.size(), 4u);
  for (QRgb colour : {0xFFFFFFu, 0x000000u, 0xFF0000u, 0x000080u})
    EXPECT_GT(colours[colour], 0) << std::hex << colour;
}

// Newtonian sweeps at a given refresh and at the default one, and one under 2.5PN whose pair merges and
// rings down in each of its three configurations (black hole 3 too light and far to matter).
const std::string
    kSweep = "--batch --bh 3 Tmaxcount=3000 Talphamax=40 --refresh-every 500",
    kDefaultRefresh = "--batch --bh 3 Tmaxcount=2000 Talphamax=40",
    kMergers = "--batch --bh 3 --gravity 2.5pn Tfreq=30 TBH3=0.01 Tdm1=0 Tdm2=0 Talphamax=20 Tdalpha=10";

TEST(BatchSweep, EachRowIsTheSingleRunAtItsAngleAndThreadsChangeNoByte) {
  for (const auto& [sweep, mergers] : {std::pair{kMergers, 3}, {kDefaultRefresh, 0}, {kSweep, 0}}) {
    std::vector<std::string> outputs[2];
    for (int jobs : {1, 2}) {
      const std::string tag = std::to_string(jobs), table = path("t" + tag);
      const std::string files[] = {path("j" + tag), table, path("r" + tag), path("p" + tag), path("s" + tag)};
      ran(sweep + " --jobs " + tag + " --json " + files[0] + " --table " + table + " --trace " + files[2] +
          " --png " + files[3] + " --strain " + files[4]);
      for (const std::string& file : files) outputs[jobs - 1].push_back(slurp(file));
    }
    EXPECT_EQ(outputs[0], outputs[1]) << sweep;
    const auto rows = readCsv(path("t1"));
    EXPECT_EQ(
        std::count_if(rows.begin(), rows.end(), [](const auto& row) { return row.at(4) == "merger12"; }),
        mergers);
  }
  const auto rows = readCsv(path("t1"));
  ASSERT_EQ(rows.size(), 6u);  // header and 0, 10, 20, 30, 40 degrees
  EXPECT_EQ(rows[0].back(), "energy_rel_change");
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const auto& row = rows[i];
    ASSERT_EQ(row.size(), 18u);
    EXPECT_EQ(std::tuple(row[0], std::stod(row[1])), std::tuple(std::to_string(i), 10.0 * (i - 1)));
    const Outcome single =
        bhsim("--batch --bh 3 Tmaxcount=3000 --refresh-every 500 --json - Talphamin=" + row[1] +
              " Talphamax=" + row[1]);
    const Json j = Json::parse(single.out);
    const auto& fields = j["end_wait"]["fields"];
    EXPECT_EQ(j["steps"].get<long>(), std::stol(row[2]));
    EXPECT_EQ(fields["Ttotaltime"], numberText(truncateTo(std::stod(row[3]), 4)));
    EXPECT_EQ(fields["TBH1"], numberText(truncateTo(std::stod(row[6]), 1)));
    EXPECT_EQ(fields["TBH2"], numberText(truncateTo(std::stod(row[7]), 1)));
    EXPECT_EQ(fields["Tv1max"], numberText(std::floor(std::stod(row[12]))));
    EXPECT_EQ(fields["Tnrev"], numberText(std::stod(row[15])));
    EXPECT_EQ(fields["TTrev"], numberText(truncateTo(std::stod(row[16]), 4)));
    EXPECT_EQ(row[4] == "revolutions", row[15] == "7") << row[4];
  }
}

// A column only some tables have, and a cell without a value: the header, a row and a refused row stay
// aligned whichever columns a table has; a grid has a relativistic column when any of its points may.
TEST(Table, ColumnsPresentInSomeTablesAndEmptyCellsKeepTheRowsAligned) {
  const TableColumn columns[] = {
      {"configuration", [](const ConfigurationOutcome& o) { return std::to_string(o.configuration); }},
      {"remnant", [](const ConfigurationOutcome&) { return std::string(); }, "",
       [](const TableScope& scope) { return scope.relativistic; }},
      {"end", [](const ConfigurationOutcome& o) { return std::string(o.stopped ? "stopped" : "end"); },
       "refused"}};
  const LoopState state;
  const ConfigurationOutcome outcome{7, 0, state, state, true};
  const auto lines = [&](bool relativistic) {
    const TableLayout layout = tableLayout({relativistic}, columns);
    return std::tuple(tableHeader(layout), tableRow(layout, outcome), refusedCells(layout));
  };
  EXPECT_EQ(lines(false), std::tuple("configuration,end", "7,stopped", ",refused"));
  EXPECT_EQ(lines(true), std::tuple("configuration,remnant,end", "7,,stopped", ",,refused"));
  const auto relativistic = [](std::optional<GravityModel> model, const std::string& axis) {
    std::string error;
    return gridTableScope(model, Grid({*parseGridAxis(axis, error)})).relativistic;
  };
  EXPECT_EQ(
      std::tuple(relativistic(std::nullopt, "TBH1=1,2"), relativistic(GravityModel::Newtonian, "TBH1=1"),
                 relativistic(named("2.5pn"), "TBH1=1"),
                 relativistic(std::nullopt, "gravity=newtonian,newtonian"),
                 relativistic(std::nullopt, "gravity=newtonian,1pn")),
      std::tuple(false, false, true, false, true));
}

// What a terminal on standard error shows.
std::string onTerminal(const std::string& args) {
  int master = -1;
  const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    execl("/bin/sh", "sh", "-c", (std::string(BHSIM_BINARY) + " " + args + " >/dev/null </dev/null").c_str(),
          nullptr);
    _exit(127);
  }
  std::string shown;
  char buffer[4096];
  for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;)
    shown.append(buffer, static_cast<std::size_t>(n));
  waitpid(pid, nullptr, 0);
  close(master);
  return shown;
}

TEST(BatchSweep, ShowsProgressOnATerminalOnly) {
  const std::string args = "--batch --bh 3 Tmaxcount=20000 Talphamax=20 --refresh-every 900 --jobs 1";
  const std::string shown = onTerminal(args);
  EXPECT_NE(shown.find("configuration 1 of 3"), std::string::npos) << shown;
  EXPECT_NE(shown.find("million steps/s"), std::string::npos) << shown;
  EXPECT_EQ(shown.back(), '\r');  // the line is blanked at the end
  EXPECT_EQ(onTerminal(args + " --quiet"), "");
  EXPECT_EQ(bhsim(args).err, "");
  EXPECT_NE(onTerminal("--batch --bh 2 Tmaxcount=20000 --refresh-every 900 --sweep TBH2=1:3:1 --jobs 1")
                .find("3 of 3 points"),
            std::string::npos);
}

}  // namespace
}  // namespace bhsim::testing
