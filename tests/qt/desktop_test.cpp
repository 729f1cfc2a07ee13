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

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
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
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->objectName() == QLatin1String(name)) return window;
    if (auto* control = window->findChild<QWidget*>(name)) return control;
  }
  return nullptr;
}

std::function<bool()> caption(const char* button, const char* text) {
  return [=] { return find(button)->property("text").toString() == text; };
}

void endTheProgram() {
  std::puts("ended");
  std::fflush(stdout);
  if (probeHow == "end") return clickWidget(find("CommandEnd"));
  find(probeHow == "close_control" ? "Form1" : "Form2")->close();
}

// Two black holes: a short run for the pause and the end wait, an endless one to integrate. Start is
// pressed from a timer of its own: the run lives inside that click, and the script's timer goes on
// ticking inside the run's event pumps.
void startRun() {
  clickWidget(find("TnBH"));
  const bool endless = probeState == "integrating";
  typeInto(find("Tnrev"), endless ? "0" : "3");
  typeInto(find(endless ? "Ttotaltime" : "Tmaxcount"), endless ? "0" : "2000");
  QTimer::singleShot(0, qApp, [] { clickWidget(find("CommandStart")); });
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
  user->when(caption("CommandStart", "Cont"), [] { clickWidget(find("CommandStart")); });
  if (probeState == "endwait") return user->when(caption("CommandStart", "Next"), endTheProgram);
  user->when(caption("CommandEnd", "Stop"), [user] {
    if (probeHow != "end") return endTheProgram();
    clickWidget(find("CommandEnd"));
    user->when([] { return caption("CommandStart", "Start")() && caption("CommandEnd", "End")(); },
               endTheProgram);
  });
}

TEST(Desktop, ASmallRunGoesThroughContAndNextAndDrawsThePaths) {
  GuiHarness h;
  h.setBodyCount(2);
  h.type(Tmaxcount, "2000");
  h.type(Tnrev, "3");
  h.user.when([&] { return h.text(CommandStart) == "Cont"; }, [&] { h.click(CommandStart); });
  h.user.when([&] { return h.text(CommandStart) == "Next"; }, [&] { h.click(CommandStart); });
  h.click(CommandStart);
  EXPECT_FALSE(h.user.gaveUp);
  EXPECT_EQ(h.shown(CommandStart), "Start");
  EXPECT_TRUE(h.waitForDisplay());
  const std::vector<Colour>& pixels = h.program().form2.pixels();
  EXPECT_GT(std::count(pixels.begin(), pixels.end(), 0x000000u), 0);
  EXPECT_GT(std::count(pixels.begin(), pixels.end(), 0xFF0000u), 0);
  // The centre of mass at the world origin, the middle of the 150 x 200 area: (Int(149 / 2), Int(199 / 2)).
  EXPECT_EQ(h.shownPicture().pixel(74, 99), 0xFF000080u);
}

TEST(Desktop, ARefusedRunShowsItsReason) {
  GuiHarness h;
  h.type(Tmaxcount, "0");
  h.click(CommandStart);
  std::unique_ptr<QMessageBox> box(h.desktop.control->findChild<QMessageBox*>("refusal"));
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isVisible());
  EXPECT_TRUE(box->text().contains("Max count")) << box->text().toStdString();
  EXPECT_EQ(h.shown(CommandStart), "Start");
}

// The program (this binary as guiMain, with a scripted user) ended from each state, each way.
class Ending : public ::testing::TestWithParam<std::tuple<const char*, const char*>> {};

TEST_P(Ending, ExitsAtOnceWithStatusZeroAndLeavesNoProcess) {
  const auto [state, how] = GetParam();
  const Child child = runProbe({"--probe", state, how});
  EXPECT_EQ(child.status, 0) << child.output.toStdString();
  EXPECT_EQ(child.output, "ended\n");
  EXPECT_TRUE(child.groupGone);
}

INSTANTIATE_TEST_SUITE_P(EveryState, Ending,
                         ::testing::Combine(::testing::Values("idle", "pause", "integrating", "endwait"),
                                            ::testing::Values("end", "close_control", "close_display")),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param)) + "_" + std::get<1>(info.param);
                         });

// The real program's command line with no display in the environment: its exit status, and what it
// prints: all of it (one text) or parts of it.
TEST(Desktop, CommandLineAnswersWithoutADisplayAndRefusesWhatItCannotDo) {
  const QString open = "bhsim: cannot open a display (",
                batch = "); use bhsim --batch to run without windows\n";
  const struct {
    QString command, display;
    int status;
    QStringList says;
  } cases[] = {
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
  for (const auto& c : cases) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    if (!c.display.isEmpty()) env.insert("DISPLAY", c.display);
    const QString program =
        c.command.startsWith("--probe") ? QCoreApplication::applicationFilePath() : BHSIM_BINARY;
    const Child child = runChild(QStringList{program} + c.command.split(' ', Qt::SkipEmptyParts), env);
    const std::string what = c.command.toStdString() + ":\n" + child.output.toStdString();
    EXPECT_EQ(child.status, c.status) << what;
    for (const QString& text : c.says) EXPECT_TRUE(child.output.contains(text)) << what;
    EXPECT_TRUE(c.says.size() > 1 || child.output == c.says.front()) << what;
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
  EXPECT_TRUE(QDir(QString::fromStdString(root + "ssh")).isEmpty());
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
