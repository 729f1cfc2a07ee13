// Measures the program's resident memory during a run without end (two black holes without mass change,
// "n rev" and "Total time" 0) in the real windows with the Signal window open: after each of the step
// counts given, then ends the program as closing a window does.
//
//   signal_memory STEPS...   (under an X server, e.g. xvfb-run; prints "steps resident_kB" lines)

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "qt/desktop.hpp"

namespace {

using enum bhsim::ControlId;

long residentKilobytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::int64_t> marks;
  for (int i = 1; i < argc; ++i) marks.push_back(std::atoll(argv[i]));
  QApplication app(argc, argv);
  bhsim::Desktop desktop;
  desktop.show();
  desktop.signal->show();
  bhsim::Program& program = desktop.program;
  while (program.module.nBH != 2) program.form1.userClick(TnBH);
  for (auto [id, text] : {std::pair{Tnrev, "0"}, {Ttotaltime, "0"}, {Tdm1, "0"}, {Tdm2, "0"}})
    program.form1.userEdit(id, text);
  std::size_t next = 0;
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    if (program.form1.text(CommandStart) == "Cont") program.form1.userClick(CommandStart);
    if (next < marks.size() && program.module.totalSteps >= marks[next]) {
      std::printf("%lld %ld\n", static_cast<long long>(program.module.totalSteps), residentKilobytes());
      std::fflush(stdout);
      if (++next == marks.size()) desktop.platform.endProgram();
    }
  });
  user.start(1);
  program.form1.userClick(CommandStart);
  return 0;
}
