// Sweeps in the batch mode: the per-configuration table, parallel configurations, the progress line.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "format/number_text.hpp"
#include "format/truncate.hpp"

namespace bhsim::testing {
namespace {

namespace fs = std::filesystem;

fs::path scratch(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("bhsim_sweep_test_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir / name;
}

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int bhsim(const std::string& args, const fs::path& err = "/dev/null") {
  const std::string command =
      std::string(BHSIM_BINARY) + " --batch " + args + " 2>" + err.string() + " </dev/null";
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

std::vector<std::vector<std::string>> readCsv(const fs::path& path) {
  std::vector<std::vector<std::string>> rows;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::stringstream cellsOf(line);
    std::string cell;
    while (std::getline(cellsOf, cell, ',')) cells.push_back(cell);
    rows.push_back(cells);
  }
  return rows;
}

const std::string kSweep = "--bh 3 Tmaxcount=3000 Talphamax=40 --refresh-every 500";

TEST(SweepTable, HasOneRowPerConfigurationAgreeingWithSingleRunsAtTheSameAngles) {
  const fs::path table = scratch("table.csv");
  ASSERT_EQ(bhsim(kSweep + " --jobs 1 --table " + table.string()), 0);
  const auto rows = readCsv(table);
  ASSERT_EQ(rows.size(), 6u);  // header and the angles 0, 10, 20, 30, 40
  EXPECT_EQ(rows[0][0], "configuration");
  EXPECT_EQ(rows[0].back(), "last_rev_time_s");
  EXPECT_EQ(rows[0].size(), 17u);
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const auto& row = rows[i];
    ASSERT_EQ(row.size(), 17u);
    EXPECT_EQ(row[0], std::to_string(i));
    const std::string angle = row[1];
    EXPECT_EQ(std::stod(angle), 10.0 * static_cast<double>(i - 1));
    const fs::path json = scratch("single.json");
    ASSERT_EQ(bhsim("--bh 3 Tmaxcount=3000 --refresh-every 500 Talphamin=" + angle + " Talphamax=" + angle +
                    " --json " + json.string()),
              0);
    const auto single = nlohmann::json::parse(slurp(json));
    const auto& fields = single["end_wait"]["fields"];
    EXPECT_EQ(single["steps"].get<long>(), std::stol(row[2])) << angle;
    const double simTime = std::stod(row[3]);
    EXPECT_EQ(fields["Ttotaltime"], numberText(truncateTo(simTime, 4))) << angle;
    const double m1 = std::stod(row[6]), m2 = std::stod(row[7]);
    EXPECT_EQ(fields["TBH1"], numberText(m1 < 1000 ? truncateTo(m1, 1) : truncateTo(m1, 0))) << angle;
    EXPECT_EQ(fields["TBH2"], numberText(m2 < 1000 ? truncateTo(m2, 1) : truncateTo(m2, 0))) << angle;
    EXPECT_EQ(fields["Tnrev"], numberText(std::stod(row[15]))) << angle;
    EXPECT_EQ(fields["Tv1max"], numberText(std::floor(std::stod(row[12])))) << angle;
    const std::string reason = row[4];
    EXPECT_TRUE(reason == "revolutions" || reason == "total_time" || reason == "light_speed" ||
                reason == "merger13" || reason == "merger23")
        << reason;
    if (reason == "revolutions") {
      EXPECT_EQ(row[15], "7");
    }
  }
}

TEST(SweepTable, AStopIsItsOwnEndReason) {
  const fs::path table = scratch("stopped.csv");
  ASSERT_EQ(bhsim("--bh 2 Tnrev=0 Ttotaltime=0 Tmaxcount=2000 --max-steps 3000 --table " + table.string()),
            0);
  const auto rows = readCsv(table);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1][2], "4000");
  EXPECT_EQ(rows[1][4], "stopped");
}

TEST(SweepJobs, TwoThreadsWriteExactlyWhatOneWrites) {
  std::vector<std::string> outputs[2];
  for (int jobs : {1, 2}) {
    const std::string tag = std::to_string(jobs);
    const fs::path json = scratch("j" + tag), table = scratch("t" + tag), trace = scratch("r" + tag),
                   png = scratch("p" + tag);
    ASSERT_EQ(bhsim(kSweep + " --jobs " + tag + " --json " + json.string() + " --table " + table.string() +
                    " --trace " + trace.string() + " --png " + png.string()),
              0);
    for (const fs::path& file : {json, table, trace, png}) outputs[jobs - 1].push_back(slurp(file));
  }
  for (std::size_t i = 0; i < outputs[0].size(); ++i) {
    EXPECT_GT(outputs[0][i].size(), 100u);
    EXPECT_TRUE(outputs[0][i] == outputs[1][i]) << "output " << i << " differs";
  }
  const auto json = nlohmann::json::parse(outputs[1][0]);
  EXPECT_EQ(json["configurations"], 5);
  EXPECT_EQ(json["end_wait"]["fields"]["Talphamin"], " 40");
}

TEST(SweepJobs, AnAbandonedSweepIsTheSameInParallel) {
  // the distance set-up without a separation goes straight to the end wait
  for (const char* jobs : {"1", "2"}) {
    const fs::path json = scratch(std::string("abandoned") + jobs);
    ASSERT_EQ(
        bhsim(std::string("--bh 3 Tfreq= Tvc= Tdist01=abc --jobs ") + jobs + " --json " + json.string()), 0);
    const auto parsed = nlohmann::json::parse(slurp(json));
    EXPECT_EQ(parsed["steps"], 0);
    EXPECT_EQ(parsed["configurations"], 1);
  }
}

// Runs the program with standard error on a pseudo-terminal; returns what the terminal showed.
std::string onTerminal(const std::string& args) {
  int master = -1;
  const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    const std::string command = std::string(BHSIM_BINARY) + " --batch " + args + " >/dev/null </dev/null";
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  std::string shown;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) break;
    shown.append(buffer, static_cast<std::size_t>(n));
  }
  int status = 0;
  waitpid(pid, &status, 0);
  close(master);
  return shown;
}

TEST(SweepProgress, ShowsALineOnATerminalOnly) {
  const std::string args = "--bh 3 Tmaxcount=20000 Talphamax=20 --jobs 1";
  const std::string shown = onTerminal(args);
  EXPECT_NE(shown.find("configuration 1 of 3"), std::string::npos) << shown;
  EXPECT_NE(shown.find("million steps/s"), std::string::npos) << shown;
  EXPECT_NE(shown.find('\r'), std::string::npos);

  EXPECT_EQ(onTerminal(args + " --quiet"), "");
  const fs::path err = scratch("progress.err");
  ASSERT_EQ(bhsim(args, err), 0);
  EXPECT_EQ(slurp(err), "");
}

}  // namespace
}  // namespace bhsim::testing
