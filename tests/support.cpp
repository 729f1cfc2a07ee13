#include "support.hpp"

#include <sys/wait.h>
#include <unistd.h>

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

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

Outcome bhsim(const std::string& args) {
  const fs::path out = scratch("stdout"), err = scratch("stderr");
  const std::string command =
      std::string(BHSIM_BINARY) + " " + args + " >" + out.string() + " 2>" + err.string() + " </dev/null";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
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

}  // namespace bhsim::testing
