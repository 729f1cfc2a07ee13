// The two windows against their models: the control window's widgets, the display window's pixels.
#include <QBuffer>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>

#include "gui_harness.hpp"

namespace bhsim::testing {
namespace {

using enum ControlId;

// Every control shows the model: its text, visibility and place at 15 twips a pixel; and the window
// stands where the model says, its outer size less the frame (120 x 510 twips). Every shown control is as
// tall as its font, and every caption of a shown label or button is drawn whole inside its widget in the
// widget's own font, a label's first letter off the window's edge.
void expectShowsModelWhole(GuiHarness& h) {
  const ControlPanel& model = h.program().panel;
  const auto px = [](double twips) { return static_cast<int>(twips / 15 + 0.5); };
  for (const ControlDesign& d : controlTable()) {
    QWidget* w = h.widget(d.id);
    EXPECT_EQ(std::tuple(h.shown(d.id), !w->isHidden(), w->geometry()),
              std::tuple(model.text(d.id), model.visible(d.id),
                         QRect(px(d.left), px(model.top(d.id)), px(d.width), px(d.height))))
        << d.name;
    const QFontMetrics metrics(w->font());
    if (w->isHidden()) continue;
    EXPECT_LE(metrics.height(), w->contentsRect().height()) << d.name;
    if (h.field(d.id)) continue;
    const QString text = QString::fromStdString(h.shown(d.id));
    const QRect ink = metrics.boundingRect(text);
    auto* label = qobject_cast<QLabel*>(w);
    const int indent = label ? std::max(label->indent(), 0) : 0;
    EXPECT_LE(std::max(metrics.horizontalAdvance(text), ink.right() + 1), w->contentsRect().width() - indent)
        << d.name << " " << h.shown(d.id);
    EXPECT_GE(w->x() + indent + ink.left(), 1) << d.name << " " << h.shown(d.id);
  }
  const WindowGeometry& g = model.geometry();
  EXPECT_EQ(QRect(h.desktop.control->pos(), h.desktop.control->size()),
            QRect(px(g.left), px(g.top), px(g.width - 120), px(g.height - 510)));
}

TEST(ControlWindow, ShowsTheModelWholeInTabOrderForEveryBodyCountAndCopiesItsValues) {
  GuiHarness h;
  EXPECT_EQ(h.desktop.control->windowTitle(), "Control Form");
  // The focus starts on "Start", and goes on by the tab index; labels take none.
  QStringList order;
  for (QWidget* w = h.desktop.control->focusWidget(); w && order.size() < 11; w = w->nextInFocusChain()) {
    if (w->focusPolicy() & Qt::TabFocus) order << w->objectName();
  }
  EXPECT_EQ(order.join(' ').toStdString(),
            "CommandStart CommandEnd Tmaxcount TBH1 Command3 TTrev TBH2 Tvc Tnrev Tdm1 Tdt");
  for (int count : {2, 3, 1}) {
    h.setBodyCount(count);
    expectShowsModelWhole(h);
  }
  h.program().write(OffsetY2Field, "42");
  h.program().panel.setText(PhiLabel, "angle");
  h.program().panel.setTop(PhiField, 3000);
  h.program().panel.setVisible(SpeedRatioField, false);
  h.program().panel.setGeometry({30, 45, 5107.5, 5190});  // 332.5 pixels wide: rounded up
  expectShowsModelWhole(h);
  // "Copy Values" (the window's context menu, also over a label) puts every field on the clipboard as
  // `name<TAB>text`
  QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(2, 2), QPoint(2, 2));
  QApplication::sendEvent(h.widget(Mass1Label), &rightClick);
  std::unique_ptr<QMenu> menu(h.desktop.control->findChild<QMenu*>());
  ASSERT_TRUE(menu && menu->isVisible());
  EXPECT_EQ(menu->actions().value(0)->text(), "Copy Values");
  menu->actions().value(0)->trigger();
  QString fields;
  for (const ControlDesign& d : controlTable()) {
    if (h.field(d.id)) fields += QString::fromStdString(std::string(d.name) + "\t" + h.shown(d.id) + "\n");
  }
  EXPECT_EQ(QGuiApplication::clipboard()->text(), fields);
}

// Typing is the user's edit and leaves the cursor where it is; the program's write of a text longer than
// the box (24 digits, over three times its width) shows the beginning; a click into a field is its click.
TEST(ControlWindow, TypingAndClickingAreTheUsersEditAndClick) {
  GuiHarness h;
  h.type(FrequencyField, "50");
  EXPECT_EQ(h.program().panel.text(FrequencyField), "50");
  h.type(TimeStepField, "123456789012345678901234");
  EXPECT_EQ(h.field(TimeStepField)->cursorPosition(), 24);
  h.program().write(TimeStepField, "987654321098765432109876");
  EXPECT_EQ(h.field(TimeStepField)->cursorPosition(), 0);
  for (auto [id, handled] :
       {std::pair{FrequencyField, 1}, {Mass1Field, 1}, {Distance12Field, 1}, {TimeStepField, 0}}) {
    h.program().runState.setupChanged = false;
    h.click(id);
    EXPECT_EQ(h.program().runState.setupChanged, handled) << controlDesign(id).name;
  }
}

// "Gravity" in the control window's menu lists the table of models and takes effect at the next "Start":
// an orbit the model does not have is refused with a message box naming the limit; the display names the
// model of the run on screen over its picture, and the Newtonian model not at all.
TEST(ControlWindow, TheGravityChoiceTakesEffectAtStartAndTheDisplayNamesIt) {
  GuiHarness h;
  QMenu* models = h.desktop.control->gravityMenu();
  ASSERT_TRUE(models && h.desktop.control->actions().contains(models->menuAction()));
  EXPECT_EQ(models->menuAction()->text(), "Gravity");
  ASSERT_EQ(models->actions().size(), static_cast<qsizetype>(std::size(kGravityModels)));
  EXPECT_EQ(models->actions().value(6)->text(), "1PN + 2PN + 2.5PN  (merger)");
  EXPECT_TRUE(models->actions().value(0)->isChecked());  // Newtonian
  models->actions().value(2)->trigger();
  EXPECT_EQ(h.program().options.gravity, gravityModelNamed("1pn+2.5pn"));
  h.setBodyCount(2);
  h.click(StartButton);  // at 33 Hz, above the model's highest circular orbit
  std::unique_ptr<QMessageBox> box(h.desktop.control->findChild<QMessageBox*>("refusal"));
  ASSERT_TRUE(box && box->isVisible());
  EXPECT_EQ(
      box->text().toStdString(),
      "33 Hz is above the highest circular orbit of 1PN + 2.5PN gravity for 36 + 29 solar masses (20.2 Hz)");
  box.reset();
  h.type(FrequencyField, "17.5");
  h.user.when([&] { return h.shown(StartButton) == "Cont"; }, [&] { h.click(StartButton); });
  // the display takes the legend in at its next repaint
  h.user.when([&] { return h.shown(StartButton) == "Next" && !h.desktop.display->legend().isEmpty(); },
              [&] {
                EXPECT_EQ(h.desktop.display->legend(), "1PN + 2.5PN");
                EXPECT_FALSE(h.showsModel());  // the legend is painted over the picture
                models->actions().value(0)->trigger();
                h.click(StartButton);
              });
  h.click(StartButton);
  EXPECT_EQ(h.program().display.legend(), "1PN + 2.5PN");  // the run on screen is still the one shown
}

// The screen shows exactly the model's pixels after each change (on a screen scaled twice, see below, each
// canvas pixel is a 2 x 2 block); the picture is copied and saved as the model's.
TEST(DisplayWindow, PaintsCopiesAndSavesTheModelsPixelsThroughHidingAndSizeChanges) {
  GuiHarness h;
  DisplayWindow& window = *h.desktop.display;
  Display& display = h.program().display;
  EXPECT_EQ(window.windowTitle(), "Display Form");
  EXPECT_EQ(window.pos(), QPoint(343, 0));  // at 5145 twips
  display.setPixel(10, 20, 0xFF0000);
  display.setPixel(11, 20, 0x000000);
  display.setPixel(149, 199, 0x000080);
  EXPECT_TRUE(h.waitForDisplay());
  window.hide();
  window.show();
  EXPECT_TRUE(h.waitForDisplay());
  // Changes faster than the window repaints are shown together, once the window repaints by itself.
  for (int x = 0; x < 100; ++x) {
    display.setPixel(x, 50, 0x000000);
    window.sync();
  }
  EXPECT_TRUE(h.waitForDisplay());

  // "Copy Picture" (Ctrl+C) and "Save Picture" (Ctrl+S, which asks where); saved, the bytes
  // `bhsim --batch --png` writes for the canvas: an RGB32 image of its pixels, as PNG.
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(&window, Qt::Key_C, Qt::ControlModifier);
  EXPECT_TRUE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32) ==
              modelImage(display));
  QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
  std::unique_ptr<QFileDialog> dialog(window.findChild<QFileDialog*>());
  EXPECT_TRUE(dialog && dialog->isVisible());
  QTemporaryDir dir;
  ASSERT_TRUE(window.savePicture(dir.filePath("picture.png")));
  QFile saved(dir.filePath("picture.png"));
  QBuffer png;
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly) && png.open(QIODevice::WriteOnly));
  modelImage(display).save(&png, "PNG");
  EXPECT_EQ(saved.readAll(), png.data());
  QFile(dir.filePath("file")).open(QIODevice::WriteOnly);
  const std::pair<QString, QString> failures[] = {{"missing/picture.png", "No such file or directory"},
                                                  {"file/picture.png", "Not a directory"}};
  for (const auto& [name, reason] : failures) {
    EXPECT_FALSE(window.savePicture(dir.filePath(name)));
    std::unique_ptr<QMessageBox> box(window.findChild<QMessageBox*>("saveFailed"));
    ASSERT_TRUE(box && box->isVisible());
    EXPECT_EQ(box->text(), "The picture was not saved to " + dir.filePath(name) + ": " + reason);
  }
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
            QStringList({"file", "picture.png"}));

  window.resize(200, 200);  // the user's: 3000 x 3000 twips of area, and the frame
  EXPECT_EQ(std::pair(display.Width(), display.Height()), std::pair(3120.0f, 3510.0f));
  EXPECT_TRUE(h.waitForDisplay());
  // The program's: layoutWindows keeps 3000 x 3000 twips of area in the ratio 3 : 4, 2598 x 3464 twips, which
  // the window shows as 173 x 230 whole pixels without taking its own resize for the user's.
  h.program().layoutWindows(1);
  EXPECT_TRUE(h.waitForDisplay());
  EXPECT_EQ(std::pair(display.Width(), display.Height()), std::pair(2718.0f, 3974.0f));
}

// On a screen scaled twice both windows keep their layout, and each canvas pixel is a 2 x 2 block: the
// tests of both windows' layout and pixels, run again in this program with QT_SCALE_FACTOR=2.
TEST(Desktop, OnAScreenScaledTwiceTheWindowsKeepTheirLayoutAndPixels) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_SCALE_FACTOR", "2");
  const auto [status, gone, output] =
      runProbe({"--gtest_filter=ControlWindow.ShowsTheModel*:DisplayWindow.*"}, env);
  EXPECT_EQ(status, 0) << output;
  EXPECT_NE(output.find("[  PASSED  ] 2 tests"), std::string::npos) << output;
}

}  // namespace
}  // namespace bhsim::testing
