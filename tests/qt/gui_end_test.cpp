// Ending the desktop program from every state: "End" and closing either window, in idle, in the pause,
// while integrating and at the end wait. The program (gui_end_probe: guiMain with a scripted user) exits
// promptly with status 0 and leaves no process behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace bhsim::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// From the ending action to the exit, including the teardown of both windows and, in the sanitizer
// build, its leak check: well under a second as a rule.
constexpr auto kPromptly = std::chrono::seconds(5);
constexpr auto kGiveUp = std::chrono::seconds(60);

struct Ending {
  int status = -1;           // exit status, or -1 when it did not exit by itself
  long long endedAtNs = 0;   // when the probe ended the program (steady clock)
  long long exitedAtNs = 0;  // when this test saw it gone
  bool groupGone = false;    // no process of its process group is left
  std::string output;
};

std::string slurp(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

long long nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

std::vector<std::string> probeEnvironment(const std::string& state, const std::string& how,
                                          const fs::path& dir) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry(*e);
    if (entry.rfind("QT_QPA_PLATFORM=", 0) != 0 && entry.rfind("XDG_RUNTIME_DIR=", 0) != 0)
      env.push_back(entry);
  }
  env.push_back("QT_QPA_PLATFORM=offscreen");
  env.push_back("XDG_RUNTIME_DIR=" + dir.string());
  env.push_back("BHSIM_PROBE_STATE=" + state);
  env.push_back("BHSIM_PROBE_END=" + how);
  return env;
}

// Starts the probe in a process group of its own and waits for it.
Ending runProbe(const std::string& state, const std::string& how) {
  const fs::path dir = fs::temp_directory_path() / ("bhsim_gui_end_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  fs::permissions(dir, fs::perms::owner_all);
  const fs::path out = dir / "stdout", err = dir / "stderr";
  std::vector<std::string> env = probeEnvironment(state, how, dir);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string binary = BHSIM_PROBE;
  char* argv[] = {binary.data(), nullptr};
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid = 0;
  Ending e;
  const int spawned = posix_spawn(&pid, binary.c_str(), &files, &attributes, argv, envp.data());
  posix_spawn_file_actions_destroy(&files);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) return e;
  int raw = 0;
  const auto deadline = Clock::now() + kGiveUp;
  while (::waitpid(pid, &raw, WNOHANG) == 0) {
    if (Clock::now() > deadline) {
      ::kill(-pid, SIGKILL);
      ::waitpid(pid, &raw, 0);
      raw = -1;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  e.exitedAtNs = nowNs();
  e.groupGone = ::kill(-pid, 0) == -1 && errno == ESRCH;
  e.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  e.output = slurp(out);
  e.endedAtNs = std::atoll(e.output.c_str());
  e.output += slurp(err);
  fs::remove_all(dir);
  return e;
}

struct Case {
  const char* state;
  const char* how;
};

class EndingTheProgram : public ::testing::TestWithParam<Case> {};

TEST_P(EndingTheProgram, ExitsPromptlyWithStatusZeroAndLeavesNoProcess) {
  const Case& c = GetParam();
  const Ending e = runProbe(c.state, c.how);
  ASSERT_EQ(e.status, 0) << e.output;
  ASSERT_GT(e.endedAtNs, 0) << "the probe never ended the program:\n" << e.output;
  const auto took = std::chrono::nanoseconds(e.exitedAtNs - e.endedAtNs);
  EXPECT_LT(took, kPromptly);
  EXPECT_TRUE(e.groupGone);
  std::printf("%s, %s: exited %.1f ms after the end\n", c.state, c.how,
              std::chrono::duration<double, std::milli>(took).count());
}

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
  std::string name = std::string(info.param.state) + "_" + info.param.how;
  for (char& ch : name) ch = ch == '-' ? '_' : ch;
  return name;
}

INSTANTIATE_TEST_SUITE_P(EveryState, EndingTheProgram,
                         ::testing::Values(Case{"idle", "end"}, Case{"idle", "close-control"},
                                           Case{"idle", "close-display"}, Case{"pause", "end"},
                                           Case{"pause", "close-control"}, Case{"pause", "close-display"},
                                           Case{"integrating", "end"}, Case{"integrating", "close-control"},
                                           Case{"integrating", "close-display"}, Case{"endwait", "end"},
                                           Case{"endwait", "close-control"},
                                           Case{"endwait", "close-display"}),
                         caseName);

}  // namespace
}  // namespace bhsim::testing
