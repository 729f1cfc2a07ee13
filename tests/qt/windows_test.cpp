// The two windows against their models: the control window's widgets, the display window's pixels.
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>

#include "gui_harness.hpp"

namespace bhsim::testing {
namespace {

using enum ControlId;

int pixels(double twips) {
  return static_cast<int>(twips / 15 + 0.5);
}

// Every control shows the model: its kind, text and visibility, its place at 15 twips a pixel; and the
// window stands where the model says, its outer size less the frame (120 x 510 twips).
void expectShowsModel(GuiHarness& h) {
  const Form1& model = h.program().form1;
  for (const ControlDesign& d : controlTable()) {
    const QWidget* w = h.widget(d.id);
    EXPECT_EQ(h.shown(d.id), model.text(d.id)) << d.name;
    EXPECT_EQ(!w->isHidden(), model.visible(d.id)) << d.name;
    EXPECT_EQ(w->geometry(),
              QRect(pixels(d.left), pixels(model.top(d.id)), pixels(d.width), pixels(d.height)))
        << d.name;
  }
  const WindowGeometry& g = model.geometry();
  EXPECT_EQ(placed(h.desktop.control.get()),
            QRect(pixels(g.left), pixels(g.top), pixels(g.width - 120), pixels(g.height - 510)));
}

// Every caption of a shown label or button is drawn whole inside its widget in the widget's own font, a
// label's first letter off the window's edge; a field whose text is longer than its box shows the text's
// beginning. Returns how many fields were that long.
int expectTextsWhole(GuiHarness& h) {
  int longFields = 0;
  for (const ControlDesign& d : controlTable()) {
    QWidget* w = h.widget(d.id);
    const QString text = QString::fromStdString(h.shown(d.id));
    const QFontMetrics metrics(w->font());
    const QRect ink = metrics.boundingRect(text);
    const int width = std::max(metrics.horizontalAdvance(text), ink.right() + 1);
    auto* label = qobject_cast<QLabel*>(w);
    const int indent = label ? std::max(label->indent(), 0) : 0;
    if (w->isHidden()) continue;
    EXPECT_LE(metrics.height(), w->contentsRect().height()) << d.name;
    if (QLineEdit* field = h.field(d.id); field && width > field->width()) {
      ++longFields;
      EXPECT_EQ(field->cursorPosition(), 0) << d.name << " " << h.shown(d.id);
    } else if (!field) {
      EXPECT_LE(width, w->contentsRect().width() - indent) << d.name << " " << h.shown(d.id);
      EXPECT_GE(w->x() + indent + ink.left(), 1) << d.name << " " << h.shown(d.id);
    }
  }
  return longFields;
}

TEST(ControlWindow, ShowsTheModelWholeForEveryBodyCountAndAfterModelWrites) {
  GuiHarness h;
  EXPECT_EQ(h.desktop.control->windowTitle(), "Control Form");
  EXPECT_EQ(placed(h.desktop.control.get()), QRect(0, 0, 335, 312));  // (5145 - 120) x (5190 - 510) twips
  EXPECT_EQ(h.widget(CommandStart)->geometry(), QRect(8, 16, 57, 33));
  EXPECT_EQ(h.desktop.control->focusWidget(), h.widget(CommandStart));  // the first in the tab order
  for (int count : {2, 3, 1}) {
    h.setBodyCount(count);
    expectShowsModel(h);
    expectTextsWhole(h);
  }
  h.program().write(Ty1, "42");
  h.program().form1.setText(Lphi, "angle");
  h.program().form1.setTop(Tphi, 3000);
  h.program().form1.setVisible(Tvc, false);
  h.program().form1.setGeometry({30, 45, 5107.5, 5190});  // 332.5 pixels wide: rounded up
  expectShowsModel(h);
}

TEST(ControlWindow, TabOrderFollowsTheTabIndex) {
  GuiHarness h;
  QWidget* widget = h.widget(CommandStart);
  for (ControlId id :
       {CommandStart, CommandEnd, Tmaxcount, TBH1, Command3, TTrev, TBH2, Tvc, Tnrev, Tdm1, Tdt}) {
    while (qobject_cast<QLabel*>(widget) || !controlByName(widget->objectName().toStdString()))
      widget = widget->nextInFocusChain();
    EXPECT_EQ(widget->objectName().toStdString(), controlDesign(id).name);
    widget = widget->nextInFocusChain();
  }
}

// Typing is the user's edit and leaves the cursor where it is; the program's write shows the beginning.
TEST(ControlWindow, TypingAndClickingAreTheUsersEditAndClick) {
  GuiHarness h;
  h.type(Tfreq, "50");
  EXPECT_EQ(h.text(Tfreq), "50");
  EXPECT_EQ(h.shown(Tvc), "");  // emptied by the frequency's change handler
  const QString digits = "123456789012345678901234";
  ASSERT_GT(h.field(Tdt)->fontMetrics().horizontalAdvance(digits), h.field(Tdt)->width());
  h.type(Tdt, digits);
  EXPECT_EQ(h.field(Tdt)->cursorPosition(), digits.size());
  h.program().write(Tdt, "987654321098765432109876");
  EXPECT_EQ(h.field(Tdt)->cursorPosition(), 0);
  const std::pair<ControlId, int> clicks[] = {{Tfreq, 1}, {TBH1, 1}, {Tdist01, 1}, {Tdt, 0}};
  for (auto [id, handled] : clicks) {
    h.program().module.SetupChanged = 0;
    h.click(id);
    EXPECT_EQ(h.program().module.SetupChanged, handled) << controlDesign(id).name;
  }
}

// At the pause of the default three-black-hole run: long speeds show their beginning, every caption is
// whole, and "Copy Values" puts every field on the clipboard as `name<TAB>text`, in the table's order.
TEST(ControlWindow, AtTheThreeBlackHolePauseTextsAreWholeAndCopyValuesCopiesThem) {
  GuiHarness h;
  h.setBodyCount(3);
  int longFields = -1;
  QStringList copied, fields;
  h.user.when([&] { return h.text(CommandStart) == "Cont"; },
              [&] {
                longFields = expectTextsWhole(h);
                QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(2, 2), QPoint(2, 2));
                QApplication::sendEvent(h.widget(LBH1), &rightClick);  // a label passes it to its window
                std::unique_ptr<QMenu> menu(h.desktop.control->findChild<QMenu*>());
                ASSERT_TRUE(menu && menu->isVisible());
                EXPECT_EQ(menu->actions().value(0)->text(), "Copy Values");
                menu->actions().value(0)->trigger();
                copied = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
                for (const ControlDesign& d : controlTable()) {
                  if (h.field(d.id))
                    fields << QString::fromStdString(std::string(d.name) + "\t" + h.shown(d.id));
                }
                h.click(TnBH);  // touching the set-up ends the run
              });
  h.click(CommandStart);
  EXPECT_GT(longFields, 0);
  EXPECT_EQ(copied.size(), 37);
  EXPECT_EQ(copied.value(0), "TnBH\t 3");
  EXPECT_EQ(copied, fields);
}

void drawSome(Form2& form2) {
  form2.setPixel(10, 20, 0xFF0000);
  form2.setPixel(11, 20, 0x000000);
  form2.setPixel(149, 199, 0x000080);
}

// The screen shows exactly the model's pixels after each change: on a screen scaled twice (see below)
// each canvas pixel is a 2 x 2 block.
TEST(DisplayWindow, PaintsTheModelsPixelsThroughHidingAndSizeChangesBothWays) {
  GuiHarness h;
  DisplayWindow& window = *h.desktop.display;
  Form2& form2 = h.program().form2;
  EXPECT_EQ(window.windowTitle(), "Display Form");
  EXPECT_EQ(placed(&window), QRect(343, 0, 150, 200));  // at 5145 twips; 2250 x 3000 twips of area
  drawSome(form2);
  ASSERT_TRUE(h.waitForDisplay());
  EXPECT_EQ(h.shownPicture().pixel(10 * h.scale(), 20 * h.scale()), 0xFFFF0000u);
  window.hide();
  window.show();
  EXPECT_TRUE(h.waitForDisplay());
  // Changes faster than the window repaints are shown together, once the window repaints by itself.
  for (int x = 0; x < 100; ++x) {
    form2.setPixel(x, 50, 0x000000);
    window.sync();
  }
  EXPECT_TRUE(h.waitForDisplay());
  window.resize(200, 200);  // the user's: 3000 x 3000 twips of area, and the frame
  EXPECT_EQ(form2.Width(), 3120);
  EXPECT_EQ(form2.Height(), 3510);
  EXPECT_TRUE(h.waitForDisplay());
  // The program's: RESIZE keeps 3000 x 3000 twips of area in the ratio 3 : 4, 2598 x 3464 twips, which
  // is 173 x 230 whole pixels; the window's own resize is not taken for the user's.
  h.program().RESIZE(1);
  EXPECT_TRUE(h.waitForDisplay());
  EXPECT_EQ(window.size(), QSize(173, 230));
  EXPECT_EQ(form2.Width(), 2718);
  EXPECT_EQ(form2.Height(), 3974);
}

// The bytes `bhsim --batch --png` writes for a canvas: an RGB32 image of its pixels, saved as PNG.
QByteArray batchPng(const Form2& form2) {
  QImage image(form2.pixelWidth(), form2.pixelHeight(), QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, 0xFF000000u | form2.pixel(x, y));
  }
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return buffer.data();
}

TEST(DisplayWindow, CopiesAndSavesThePictureOrSaysWhyNot) {
  GuiHarness h;
  DisplayWindow* window = h.desktop.display.get();
  drawSome(h.program().form2);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  QTest::keyClick(window, Qt::Key_C, Qt::ControlModifier);
  EXPECT_TRUE(showsExactly(QGuiApplication::clipboard()->image(), h.program().form2));
  QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier);
  std::unique_ptr<QFileDialog> dialog(window->findChild<QFileDialog*>());
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());

  QTemporaryDir dir;
  ASSERT_TRUE(window->savePicture(dir.filePath("picture.png")));
  QFile saved(dir.filePath("picture.png"));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll(), batchPng(h.program().form2));
  QFile(dir.filePath("file")).open(QIODevice::WriteOnly);
  const std::pair<QString, QString> failures[] = {{"missing/picture.png", "No such file or directory"},
                                                  {"file/picture.png", "Not a directory"}};
  for (const auto& [name, reason] : failures) {
    EXPECT_FALSE(window->savePicture(dir.filePath(name)));
    std::unique_ptr<QMessageBox> box(window->findChild<QMessageBox*>("saveFailed"));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->text(), "The picture was not saved to " + dir.filePath(name) + ": " + reason);
  }
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
            QStringList({"file", "picture.png"}));
}

// On a screen scaled twice both windows keep their layout, and each canvas pixel is a 2 x 2 block: the
// tests of both windows' layout and pixels, run again in this program with QT_SCALE_FACTOR=2.
TEST(Desktop, OnAScreenScaledTwiceTheWindowsKeepTheirLayoutAndPixels) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_SCALE_FACTOR", "2");
  const Child child = runProbe({"--gtest_filter=ControlWindow.ShowsTheModel*:DisplayWindow.Paints*"}, env);
  EXPECT_EQ(child.status, 0) << child.output.toStdString();
  EXPECT_TRUE(child.output.contains("[  PASSED  ] 2 tests")) << child.output.toStdString();
}

}  // namespace
}  // namespace bhsim::testing
