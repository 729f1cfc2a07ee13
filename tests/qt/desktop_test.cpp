// The program as a whole: runs through the real windows, its end from every state, its command line and
// runtime folder. Its own main runs the tests on the offscreen platform (also when the build lists them);
// run as
//
//   qt_test --probe STATE HOW [arguments]
//
// it is the program itself (guiMain, given the arguments) with a scripted user who brings it into STATE
// (idle, pause, integrating, endwait) and then ends it HOW (end, close_control, close_display), printing
// "ended" as it acts. A script that gets stuck exits with status 3.
#include <sys/stat.h>

#include <cstdio>

#include "gui_harness.hpp"
#include "qt/gui_main.hpp"
#include "qt/startup.hpp"

namespace bhsim::testing {
namespace {

using enum ControlId;
std::string probeState, probeHow;

// A window, or a control of the control window, by its name.
QWidget* find(const char* name) {
  for (QWidget* widget : QApplication::allWidgets()) {
    if (widget->objectName() == QLatin1String(name)) return widget;
  }
  return nullptr;
}

std::function<bool()> caption(const char* button, const char* text) {
  return [=] { return find(button)->property("text").toString() == text; };
}

void endTheProgram() {
  std::fputs("ended\n", stderr);
  if (probeHow == "end") return QTest::mouseClick(find("CommandEnd"), Qt::LeftButton);
  find(probeHow == "close_control" ? "Form1" : "Form2")->close();
}

// Two black holes: a short run for the pause and the end wait, an endless one to integrate. Start is
// pressed from a timer of its own: the run lives inside that click, and the script's timer goes on
// ticking inside the run's event pumps.
void startRun() {
  QTest::mouseClick(find("TnBH"), Qt::LeftButton);
  const bool endless = probeState == "integrating";
  typeInto(find("Tnrev"), endless ? "0" : "3");
  typeInto(find(endless ? "Ttotaltime" : "Tmaxcount"), endless ? "0" : "2000");
  QTimer::singleShot(0, qApp, [] { QTest::mouseClick(find("CommandStart"), Qt::LeftButton); });
}

// "End" reads "Stop" while the run integrates: it stops the run, which comes back to "Start"; "End" then
// ends the program.
void playTheUser() {
  auto* user = new UserScript([] { std::_Exit(3); });
  user->setParent(qApp);
  const auto always = [] { return true; };
  if (probeState == "idle") return user->when(always, endTheProgram);
  user->when(always, startRun);
  if (probeState == "pause") return user->when(caption("CommandStart", "Cont"), endTheProgram);
  user->when(caption("CommandStart", "Cont"),
             [] { QTest::mouseClick(find("CommandStart"), Qt::LeftButton); });
  if (probeState == "endwait") return user->when(caption("CommandStart", "Next"), endTheProgram);
  user->when(caption("CommandEnd", "Stop"), [user] {
    if (probeHow != "end") return endTheProgram();
    QTest::mouseClick(find("CommandEnd"), Qt::LeftButton);
    user->when([] { return caption("CommandStart", "Start")() && caption("CommandEnd", "End")(); },
               endTheProgram);
  });
}

// The program (this binary as guiMain, with a scripted user) ended from each state, each way.
class Ending : public ::testing::TestWithParam<std::tuple<const char*, const char*>> {};

TEST_P(Ending, ExitsAtOnceWithStatusZeroAndLeavesNoProcess) {
  const auto [state, how] = GetParam();
  EXPECT_EQ(runProbe({"--probe", state, how}), Child(0, true, "ended\n"));
}

INSTANTIATE_TEST_SUITE_P(EveryState, Ending,
                         ::testing::Combine(::testing::Values("idle", "pause", "integrating", "endwait"),
                                            ::testing::Values("end", "close_control", "close_display")),
                         [](const auto& test) {
                           return std::string(std::get<0>(test.param)) + "_" + std::get<1>(test.param);
                         });

// The real program's command line with no display in the environment: its exit status, and what it
// prints: all of it (one text) or parts of it.
TEST(Desktop, CommandLineAnswersWithoutADisplayAndRefusesWhatItCannotDo) {
  const std::string open = "bhsim: cannot open a display (",
                    batch = "); use bhsim --batch to run without windows\n";
  const std::tuple<QString, QString, int, std::vector<std::string>> cases[] = {
      {"--help", "", 0, {"usage: bhsim [Qt options]\n", "bhsim --merge OUT.csv IN.csv...", "--max-steps N"}},
      {"--version", "", 0, {BHSIM_VERSION_TEXT "\n"}},
      {"", "", 2, {open + "DISPLAY is not set" + batch}},
      {"", ":65001", 2, {open + "could not connect to display :65001" + batch}},
      {"-platform offscreen -x", "", 2, {"bhsim: unknown argument -x (bhsim --help shows the usage)\n"}},
      {"-x", "", 2, {open + "DISPLAY is not set" + batch}},
      // Qt's own options are Qt's, and so are its warnings about them.
      {"--probe idle end -platform offscreen -style nosuch -reverse",
       "",
       0,
       {"ended\n", "style override 'nosuch'"}},
  };
  for (const auto& [command, display, status, says] : cases) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    env.insert("DISPLAY", display);  // an empty one is none
    const QString program =
        command.startsWith("--probe") ? QCoreApplication::applicationFilePath() : BHSIM_BINARY;
    const auto [code, gone, output] =
        runChild(QStringList{program} + command.split(' ', Qt::SkipEmptyParts), env);
    const std::string what = command.toStdString() + ":\n" + output;
    EXPECT_EQ(code, status) << what;
    for (const std::string& text : says) EXPECT_NE(output.find(text), std::string::npos) << what;
    EXPECT_TRUE(says.size() > 1 || output == says.front()) << what;
  }
}

// The private runtime folder is taken only when the path itself is a folder of ours with mode 0700.
TEST(Desktop, RuntimeFolderIsTakenOnlyWhenItIsOursAndNoLink) {
  const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
  QTemporaryDir dir;
  const std::string root = dir.path().toStdString() + "/";
  ::mkdir((root + "ssh").c_str(), 0700);
  ::mkdir((root + "open").c_str(), 0755);
  ::symlink("ssh", (root + "planted").c_str());
  const std::pair<const char*, bool> cases[] = {
      {"fresh", true}, {"ssh", true}, {"open", false}, {"planted", false}};
  for (const auto& [name, taken] : cases) {
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(ensureRuntimeDir(root + name), taken) << name;
    EXPECT_EQ(qgetenv("XDG_RUNTIME_DIR").toStdString(), taken ? root + name : "") << name;
  }
  qputenv("XDG_RUNTIME_DIR", saved);
}

}  // namespace
}  // namespace bhsim::testing

int main(int argc, char** argv) {
  if (argc >= 4 && std::string(argv[1]) == "--probe") {
    bhsim::testing::probeState = argv[2];
    bhsim::testing::probeHow = argv[3];
    // Runs as the application is built; the script starts with the program's main loop.
    qAddPreRoutine(
        [] { QMetaObject::invokeMethod(qApp, bhsim::testing::playTheUser, Qt::QueuedConnection); });
    argv[3] = argv[0];
    return bhsim::guiMain(argc - 3, argv + 3);
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir runtime;
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
