#include "support.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace bhsim::testing {

namespace fs = std::filesystem;

void Harness::configure(int count, const Fields& fields, std::int64_t refreshEvery) {
  while (program.runState.bodyCount != count) click(BodyCountField);
  for (const auto& [id, text] : fields) type(id, text);
  program.options.refreshEvery = refreshEvery;
}

void Harness::onPhase(RunPhase phase, std::function<void()> action) {
  platform.when([this, phase] { return program.runState.phase == phase; }, std::move(action));
}

void Harness::run() {
  onPhase(RunPhase::Paused, [this] { click(StartButton); });
  onPhase(RunPhase::EndWait, [this] { click(StartButton); });
  click(StartButton);
}

fs::path scratch(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / ("bhsim_test_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir / name;
}

std::string path(const std::string& name) {
  return scratch(name).string();
}

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

long lineCount(const std::string& text) {
  return std::count(text.begin(), text.end(), '\n');
}

int shellStatus(const std::string& line) {
  const int raw = std::system(line.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

Outcome bhsim(const std::string& args) {
  const fs::path out = scratch("stdout"), err = scratch("stderr");
  const std::string command =
      std::string(BHSIM_BINARY) + " " + args + " >" + out.string() + " 2>" + err.string() + " </dev/null";
  const int status = shellStatus(command);
  return {status, slurp(out), slurp(err)};
}

Outcome ran(const std::string& args) {
  Outcome o = bhsim(args);
  EXPECT_EQ(o.status, 0) << args << "\n" << o.err;
  return o;
}

std::vector<std::vector<std::string>> readCsv(const fs::path& path) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(slurp(path));
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> cells;
    std::istringstream cellsOf(line);
    for (std::string cell; std::getline(cellsOf, cell, ',');) cells.push_back(cell);
    if (!line.empty() && line.back() == ',') cells.emplace_back();
    rows.push_back(cells);
  }
  return rows;
}

std::string nonFiniteCell(const fs::path& path) {
  const auto rows = readCsv(path);
  for (std::size_t r = 1; r < rows.size(); ++r) {
    for (const std::string& cell : rows[r]) {
      char* end = nullptr;
      const double value = std::strtod(cell.c_str(), &end);
      if (end != cell.c_str() && !std::isfinite(value)) return cell + " in row " + std::to_string(r);
    }
  }
  return "";
}

}  // namespace bhsim::testing
