// `bhsim --batch`: the command line, exit statuses and the files it writes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "batch/batch_options.hpp"
#include "sim/constants.hpp"

namespace bhsim::testing {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

fs::path scratch(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("bhsim_batch_test_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir / name;
}

// Runs the program with `args` (already quoted for the shell).
Outcome bhsim(const std::string& args) {
  const fs::path out = scratch("stdout"), err = scratch("stderr");
  const std::string command = std::string(BHSIM_BINARY) + " --batch " + args + " >" + out.string() + " 2>" +
                              err.string() + " </dev/null";
  const int raw = std::system(command.c_str());
  Outcome o;
  o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  o.out = slurp(out);
  o.err = slurp(err);
  return o;
}

TEST(BatchOptions, ReadsEveryOptionAndTheFieldsInOrder) {
  const ParsedOptions p =
      parseBatchOptions({"--bh", "3", "--refresh-every=500", "--max-steps", "0", "--json", "-", "--trace",
                         "t.csv", "--png=p.png", "TBH1=7", "Tdist01=", "TBH1=a=b"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.bodyCount, 3);
  EXPECT_EQ(p.options.refreshEvery, 500);
  EXPECT_EQ(p.options.maxSteps, 0);
  EXPECT_EQ(p.options.jsonPath, "-");
  EXPECT_EQ(p.options.tracePath, "t.csv");
  EXPECT_EQ(p.options.pngPath, "p.png");
  ASSERT_EQ(p.options.fields.size(), 3u);
  EXPECT_EQ(p.options.fields[0], std::make_pair(ControlId::TBH1, std::string("7")));
  EXPECT_EQ(p.options.fields[1], std::make_pair(ControlId::Tdist01, std::string("")));
  EXPECT_EQ(p.options.fields[2], std::make_pair(ControlId::TBH1, std::string("a=b")));
}

TEST(BatchOptions, NamesTheBadArgument) {
  const struct {
    std::vector<std::string> args;
    std::string named;
  } cases[] = {
      {{"--bh", "4"}, "'4'"},
      {{"--bh", "0"}, "'0'"},
      {{"--bh", "two"}, "'two'"},
      {{"--bh"}, "--bh"},
      {{"--refresh-every", "0"}, "'0'"},
      {{"--max-steps", "-1"}, "'-1'"},
      {{"--json"}, "--json"},
      {{"--png="}, "--png"},
      {{"--frobnicate"}, "--frobnicate"},
      {{"LBH1=x"}, "LBH1=x"},
      {{"CommandStart=Cont"}, "CommandStart=Cont"},
      {{"tbh1=3"}, "tbh1=3"},
      {{"=3"}, "=3"},
      {{"TBH1"}, "TBH1"},
  };
  for (const auto& c : cases) {
    const ParsedOptions p = parseBatchOptions(c.args);
    EXPECT_NE(p.error.find(c.named), std::string::npos) << p.error;
    EXPECT_EQ(p.error.find('\n'), std::string::npos);
  }
}

TEST(BatchCli, HelpPrintsTheUsage) {
  const Outcome o = bhsim("--help");
  EXPECT_EQ(o.status, 0);
  EXPECT_NE(o.out.find("usage: bhsim --batch"), std::string::npos);
}

TEST(BatchCli, BadArgumentsExitWithTwoAndRunNothing) {
  const fs::path json = scratch("bad.json");
  fs::remove(json);
  const Outcome o = bhsim("--json " + json.string() + " TBH9=1");
  EXPECT_EQ(o.status, 2);
  EXPECT_NE(o.err.find("TBH9=1"), std::string::npos);
  EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1);
  EXPECT_FALSE(fs::exists(json));
}

TEST(BatchCli, RefusedRunsExitWithOneAndSayWhy) {
  for (const char* args :
       {"--bh 2 Tmaxcount=0", "--bh 3 Tdalpha=0", "--bh 2 TBH1=0 TBH2=0", "--bh 2 Tnrev=0 Ttotaltime=0"}) {
    const Outcome o = bhsim(std::string(args) + " --json -");
    EXPECT_EQ(o.status, 1) << args;
    EXPECT_NE(o.err.find("refused"), std::string::npos) << args;
    EXPECT_EQ(o.out, "") << args;
  }
}

TEST(BatchCli, AStepBudgetStopsAnEndlessRunAtTheNextPump) {
  const Outcome o = bhsim("--bh 2 Tmaxcount=2000 Tnrev=0 Ttotaltime=0 --max-steps 5000 --json -");
  ASSERT_EQ(o.status, 0) << o.err;
  const auto json = nlohmann::json::parse(o.out);
  // pressed at the pump of step 5000, acted on at step 6000
  EXPECT_EQ(json["steps"], 6000);
  EXPECT_EQ(json["idle"]["captions"]["CommandStart"], "Start");
  EXPECT_EQ(json["end_wait"]["captions"]["CommandStart"], "Next");
}

TEST(BatchCli, JsonHoldsBothSnapshotsAndIsReproducibleWithAFixedRefresh) {
  const std::string args = "--bh 2 Tmaxcount=20000 --refresh-every 1000 --json -";
  const Outcome first = bhsim(args);
  const Outcome second = bhsim(args);
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.out, second.out);
  const auto json = nlohmann::json::parse(first.out);
  for (const char* snapshot : {"end_wait", "idle"}) {
    EXPECT_EQ(json[snapshot]["fields"].size(), 37u);
    EXPECT_EQ(json[snapshot]["captions"].size(), 34u);
  }
  EXPECT_EQ(json["configurations"], 1);
  EXPECT_GT(json["steps"].get<long>(), 7 * 10000);
  EXPECT_EQ(json["end_wait"]["fields"]["Tnrev"], " 7");
  EXPECT_EQ(json["end_wait"]["captions"]["Lnrev"], "n rev   7");
  EXPECT_EQ(json["idle"]["fields"]["TBH1"], " 36");
  EXPECT_EQ(json["idle"]["captions"]["Lnrev"], "n rev");
}

TEST(BatchCli, FieldsAreTypedAfterTheBodyCount) {
  // --bh 2 writes the defaults of two black holes; TBH1 typed afterwards wins
  const Outcome o = bhsim("TBH1=40 --bh 2 Tmaxcount=2000 --refresh-every 100 --json -");
  ASSERT_EQ(o.status, 0) << o.err;
  const auto json = nlohmann::json::parse(o.out);
  EXPECT_EQ(json["idle"]["fields"]["TBH1"], " 40");
  EXPECT_EQ(json["idle"]["fields"]["TnBH"], " 2");
}

TEST(BatchCli, ThreeBodiesSweepThirtySevenConfigurations) {
  const Outcome o = bhsim("--bh 3 Tmaxcount=2000 --json -");
  ASSERT_EQ(o.status, 0) << o.err;
  const auto json = nlohmann::json::parse(o.out);
  EXPECT_EQ(json["configurations"], 37);
  EXPECT_EQ(json["end_wait"]["fields"]["Talphamin"], " 360");
}

TEST(BatchCli, TraceHasOneRowPerDotRelativeToTheCentreOfMass) {
  const fs::path trace = scratch("trace.csv");
  const Outcome o = bhsim(
      "--bh 2 Tmaxcount=20000 Tnrev=2 Tdm1=0 Tdm2=0 --refresh-every 1000 --json - --trace " + trace.string());
  ASSERT_EQ(o.status, 0) << o.err;
  const long steps = nlohmann::json::parse(o.out)["steps"];
  std::ifstream in(trace);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "configuration,step,body,x_km,y_km");
  long rows = 0;
  double x1 = 0, y1 = 0;
  while (std::getline(in, line)) {
    int configuration = 0, body = 0;
    long step = 0;
    double x = 0, y = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "%d,%ld,%d,%lf,%lf", &configuration, &step, &body, &x, &y), 5)
        << line;
    EXPECT_EQ(configuration, 1);
    EXPECT_EQ(step, (rows / 2 + 1) * 1000);
    EXPECT_EQ(body, static_cast<int>(rows % 2) + 1);
    if (body == 1) {
      x1 = x;
      y1 = y;
    } else {  // 36 x1 + 29 x2 = 0 about the centre of mass
      EXPECT_NEAR(36 * x1 + 29 * x, 0, 1e-6 * std::fabs(36 * x1));
      EXPECT_NEAR(36 * y1 + 29 * y, 0, 1e-6 * (std::fabs(36 * x1) + std::fabs(36 * y1)));
    }
    ++rows;
  }
  EXPECT_EQ(rows, 2 * (steps / 1000));
}

TEST(BatchCli, PngIsTheDrawingAreaAtTheEndWait) {
  const fs::path png = scratch("display.png");
  const Outcome o = bhsim("--bh 2 Tmaxcount=20000 --png " + png.string());
  ASSERT_EQ(o.status, 0) << o.err;
  const std::string bytes = slurp(png);
  ASSERT_GT(bytes.size(), 24u);
  EXPECT_EQ(bytes.substr(1, 3), "PNG");
  const auto be32 = [&bytes](std::size_t at) {
    return (static_cast<unsigned char>(bytes[at]) << 24) | (static_cast<unsigned char>(bytes[at + 1]) << 16) |
           (static_cast<unsigned char>(bytes[at + 2]) << 8) | static_cast<unsigned char>(bytes[at + 3]);
  };
  EXPECT_EQ(be32(16), 150);  // width of the design drawing area
  EXPECT_EQ(be32(20), 200);
}

TEST(BatchCli, AnUnwritableOutputIsReported) {
  const Outcome o = bhsim("--bh 2 Tmaxcount=2000 --json /nonexistent-dir/out.json");
  EXPECT_EQ(o.status, 3);
  EXPECT_NE(o.err.find("/nonexistent-dir/out.json"), std::string::npos);
}

}  // namespace
}  // namespace bhsim::testing
