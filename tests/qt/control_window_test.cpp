#include <gtest/gtest.h>

#include <QTest>

#include "gui_harness.hpp"

namespace bhsim::testing {
namespace {

using enum ControlId;

TEST(ControlWindow, StartsAsTheControlFormAtTheTopLeft) {
  GuiHarness h;
  ControlWindow& window = *h.desktop.control;
  EXPECT_EQ(window.windowTitle(), "Control Form");
  EXPECT_EQ(window.pos(), QPoint(0, 0));
  // 5145 x 5190 twips outer, less 120 x 510 of frame, at 15 twips a pixel.
  EXPECT_EQ(window.size(), QSize(335, 312));
}

TEST(ControlWindow, ShowsTheDefaultsForOneBlackHole) {
  GuiHarness h;
  const std::pair<ControlId, std::string> expected[] = {
      {CommandStart, "Start"},
      {CommandEnd, "End"},
      {TnBH, "1"},
      {Tvc, " 1"},
      {Tfreq, ""},
      {Tnrev, " 1"},
      {Tnrev0, " 1"},
      {Ttotaltime, " 0"},
      {TTott0, " 0"},
      {TBH1, "10000"},
      {TBH2, "0"},
      {Tmaxcount, "1000000"},
      {Tdist01, ""},
      {Lnrev, "n rev  "},
      {LnBH, "# BH"},
  };
  for (const auto& [id, text] : expected) {
    EXPECT_EQ(h.shown(id), text) << controlDesign(id).name;
    EXPECT_EQ(h.text(id), text) << controlDesign(id).name;
  }
}

TEST(ControlWindow, EveryControlIsAWidgetOfItsKind) {
  GuiHarness h;
  int fields = 0, labels = 0, buttons = 0;
  for (const ControlDesign& design : controlTable()) {
    fields += h.field(design.id) != nullptr;
    labels += h.label(design.id) != nullptr;
    buttons += h.button(design.id) != nullptr;
    EXPECT_EQ(h.widget(design.id)->objectName().toStdString(), design.name);
  }
  EXPECT_EQ(fields, 37);
  EXPECT_EQ(labels, 31);
  EXPECT_EQ(buttons, 3);
}

TEST(ControlWindow, ShowsAndHidesTheControlsOfOneBlackHole) {
  GuiHarness h;
  for (ControlId id : {CommandStart, CommandEnd, TnBH, Tvc, Tfreq, TBH1, Lphi, Tphi, Tdist01, Tmaxcount}) {
    EXPECT_TRUE(h.widget(id)->isVisible()) << controlDesign(id).name;
  }
  for (ControlId id :
       {Command3, TBH2, LBH2, TBH3, Tdm1, Tdm2, Ldm1, Tdist02, Tdist12, Talphamin, Tdalpha, Tv2}) {
    EXPECT_TRUE(h.widget(id)->isHidden()) << controlDesign(id).name;
  }
}

TEST(ControlWindow, PlacesControlsAtTheirTwipsOverFifteen) {
  GuiHarness h;
  EXPECT_EQ(h.widget(CommandStart)->geometry(), QRect(8, 16, 57, 33));
  EXPECT_EQ(h.widget(TnBH)->geometry(), QRect(168, 24, 33, 25));
  EXPECT_EQ(h.widget(Tfreq)->geometry(), QRect(128, 280, 49, 25));
  // Moved by the load: the label row to 360 + 40 twips, "Phi" to the row at 1800.
  EXPECT_EQ(h.widget(LnBH)->geometry(), QRect(136, 27, 41, 17));
  EXPECT_EQ(h.widget(Tphi)->geometry().top(), 120);
}

TEST(ControlWindow, TabOrderFollowsTheTabIndex) {
  GuiHarness h;
  const ControlId expected[] = {CommandStart, CommandEnd, Tmaxcount, TBH1, Command3, TTrev,
                                TBH2,         Tvc,        Tnrev,     Tdm1, Tdt,      Tv0};
  std::vector<ControlId> order;
  QWidget* widget = h.widget(CommandStart);
  while (order.size() < std::size(expected)) {
    if (auto id = controlByName(widget->objectName().toStdString());
        id && controlDesign(*id).kind != ControlKind::Label) {
      order.push_back(*id);
    }
    widget = widget->nextInFocusChain();
  }
  for (std::size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(controlDesign(order[i]).name, controlDesign(expected[i]).name) << i;
  }
}

TEST(ControlWindow, BodyCountClicksCycleOneTwoThreeOne) {
  GuiHarness h;
  h.click(TnBH);
  EXPECT_EQ(h.shown(TnBH), " 2");
  EXPECT_EQ(h.shown(Tfreq), " 33");
  EXPECT_EQ(h.shown(Tvc), "");
  EXPECT_EQ(h.shown(TBH1), "36");
  for (ControlId id : {TBH2, LBH2, Tdm1, Tdm2, Tphi})
    EXPECT_TRUE(h.widget(id)->isVisible()) << controlDesign(id).name;
  for (ControlId id : {TBH3, Talphamin, Tdist02})
    EXPECT_TRUE(h.widget(id)->isHidden()) << controlDesign(id).name;

  h.click(TnBH);
  EXPECT_EQ(h.shown(TnBH), " 3");
  for (ControlId id : {TBH3, LBH3, Talphamin, Talphamax, Tdalpha, Tdist02, Tdist12, Tv2}) {
    EXPECT_TRUE(h.widget(id)->isVisible()) << controlDesign(id).name;
  }
  for (ControlId id : {Tdm1, Tdm2, Tphi}) EXPECT_TRUE(h.widget(id)->isHidden()) << controlDesign(id).name;
  // The sweep row moved up from 5160 to the row at 1800 twips.
  EXPECT_EQ(h.widget(Talphamin)->geometry().top(), 120);

  h.click(TnBH);
  EXPECT_EQ(h.shown(TnBH), " 1");
  EXPECT_EQ(h.shown(TBH1), "10000");
  for (ControlId id : {TBH2, TBH3, Talphamin, Tdm1})
    EXPECT_TRUE(h.widget(id)->isHidden()) << controlDesign(id).name;
  EXPECT_TRUE(h.widget(Tphi)->isVisible());
}

TEST(ControlWindow, TypingAFrequencyEmptiesSpeedAndSeparation) {
  GuiHarness h;
  h.type(Tdist01, "0");
  EXPECT_EQ(h.text(Tdist01), "0");
  EXPECT_EQ(h.shown(Tvc), " 1");  // zero is not positive: nothing is emptied
  h.type(Tfreq, "50");
  EXPECT_EQ(h.shown(Tfreq), "50");
  EXPECT_EQ(h.text(Tfreq), "50");
  EXPECT_EQ(h.shown(Tvc), "");
  EXPECT_EQ(h.shown(Tdist01), "");
  EXPECT_EQ(h.text(Tvc), "");
  EXPECT_EQ(h.text(Tdist01), "");
}

TEST(ControlWindow, TypingAFrequencyWithTwoBlackHolesEmptiesTheSpeed) {
  GuiHarness h;
  h.setBodyCount(2);
  h.type(Tvc, ".2");
  EXPECT_EQ(h.shown(Tfreq), "");
  h.type(Tfreq, "-1");
  EXPECT_EQ(h.shown(Tvc), ".2");
  h.type(Tfreq, "50");
  EXPECT_EQ(h.shown(Tvc), "");
  EXPECT_EQ(h.text(Tvc), "");
  EXPECT_EQ(h.shown(Tfreq), "50");
}

TEST(ControlWindow, ClickingIntoAFieldIsItsClick) {
  GuiHarness h;
  h.setBodyCount(2);
  for (ControlId id : {Tfreq, TBH1, Tdm2, Tdist01}) {
    h.program().module.SetupChanged = 0;
    h.click(id);
    EXPECT_EQ(h.program().module.SetupChanged, 1) << controlDesign(id).name;
  }
  h.program().module.SetupChanged = 0;
  h.click(Tdt);  // a field without a click handler
  EXPECT_EQ(h.program().module.SetupChanged, 0);
}

TEST(ControlWindow, TypingIntoANumberOfBlackHolesIsNotAClick) {
  GuiHarness h;
  h.type(TnBH, "0");
  EXPECT_EQ(h.program().module.nBH, 1);
  h.click(TnBH);  // 0 + 1
  EXPECT_EQ(h.shown(TnBH), " 1");
  EXPECT_EQ(h.program().module.nBH, 1);
}

TEST(ControlWindow, MirrorsModelWritesOfTextTopAndVisibility) {
  GuiHarness h;
  h.program().write(Ty1, "42");
  EXPECT_EQ(h.shown(Ty1), "42");
  h.program().form1.setText(Lphi, "angle");
  EXPECT_EQ(h.shown(Lphi), "angle");
  h.program().form1.setTop(Tphi, 3000);
  EXPECT_EQ(h.widget(Tphi)->geometry().top(), 200);
  h.program().form1.setVisible(Tvc, false);
  EXPECT_TRUE(h.widget(Tvc)->isHidden());
  h.program().form1.setVisible(Tvc, true);
  EXPECT_TRUE(h.widget(Tvc)->isVisible());
}

TEST(ControlWindow, GridButtonIsHiddenAndIgnoresClicks) {
  GuiHarness h;
  const auto revision = h.program().form2.revision();
  h.click(Command3);
  EXPECT_EQ(h.program().form2.revision(), revision);
  EXPECT_TRUE(h.widget(Command3)->isHidden());
}

}  // namespace
}  // namespace bhsim::testing
