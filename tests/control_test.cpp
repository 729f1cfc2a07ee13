#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "control/control_table.hpp"
#include "control/form1.hpp"
#include "program/program.hpp"
#include "test_support.hpp"

namespace bhsim::testing {
namespace {

using enum ControlId;

std::vector<ControlId> allControls() {
  std::vector<ControlId> ids;
  for (std::size_t i = 0; i < kControlCount; ++i) ids.push_back(static_cast<ControlId>(i));
  return ids;
}

std::string nameOf(ControlId id) {
  return std::string(controlDesign(id).name);
}

// Every change of a control's text or caption, in the order the writes happened (an outer write before
// the writes its change handler makes).
class TextWrites : public Form1Observer {
 public:
  explicit TextWrites(Form1& form) : form_(form) {
    for (ControlId id : allControls()) last_[indexOf(id)] = form.text(id);
    form_.addObserver(this);
  }
  ~TextWrites() override { form_.removeObserver(this); }
  TextWrites(const TextWrites&) = delete;
  TextWrites& operator=(const TextWrites&) = delete;

  void controlChanged(ControlId id) override {
    const std::string& now = form_.text(id);
    if (now == last_[indexOf(id)]) return;
    last_[indexOf(id)] = now;
    writes.emplace_back(id, now);
  }
  void windowChanged() override {}

  std::vector<std::pair<ControlId, std::string>> writes;

 private:
  Form1& form_;
  std::array<std::string, kControlCount> last_;
};

// ---------------------------------------------------------------------------------------------------
// The control table
// ---------------------------------------------------------------------------------------------------

struct DesignRow {
  const char* name;
  ControlKind kind;
  const char* text;
  int left, top, width, height, tab;
};

// The design of the control window, row by row as the window's description lists it.
constexpr DesignRow kDesign[] = {
    {"CommandStart", ControlKind::Button, "Start", 120, 240, 855, 495, 0},
    {"CommandEnd", ControlKind::Button, "End", 1080, 240, 855, 495, 1},
    {"Command3", ControlKind::Button, "Grid", 5400, 4680, 855, 495, 6},
    {"TnBH", ControlKind::TextField, "1", 2520, 360, 495, 375, 28},
    {"Ttotaltime", ControlKind::TextField, "0", 4080, 360, 855, 375, 32},
    {"TTott0", ControlKind::TextField, "0", 5400, 360, 855, 375, 70},
    {"Tmaxcount", ControlKind::TextField, "1000000", 1080, 840, 855, 375, 2},
    {"Tvc", ControlKind::TextField, "1", 2520, 840, 495, 375, 11},
    {"Tnrev", ControlKind::TextField, "7", 4080, 840, 855, 375, 13},
    {"Tnrev0", ControlKind::TextField, "7", 5400, 840, 855, 375, 69},
    {"TBH1", ControlKind::TextField, "1", 720, 1320, 855, 375, 4},
    {"TBH2", ControlKind::TextField, "0", 2400, 1320, 855, 375, 9},
    {"TBH3", ControlKind::TextField, "5", 4080, 1320, 855, 375, 34},
    {"Ty1", ControlKind::TextField, "0", 5400, 1320, 855, 375, 48},
    {"Tdm1", ControlKind::TextField, "5", 720, 1800, 855, 375, 16},
    {"Tdm2", ControlKind::TextField, "5", 2400, 1800, 855, 375, 26},
    {"Tx1", ControlKind::TextField, "0", 5400, 1800, 855, 375, 49},
    {"Tv0", ControlKind::TextField, "0", 720, 2280, 855, 375, 20},
    {"Tv1", ControlKind::TextField, "0", 2400, 2280, 855, 375, 21},
    {"Tv2", ControlKind::TextField, "0", 4080, 2280, 855, 375, 52},
    {"Txmaxf", ControlKind::TextField, "2", 6000, 2400, 255, 375, 67},
    {"Tdist01", ControlKind::TextField, "", 720, 2760, 855, 375, 23},
    {"Tdist02", ControlKind::TextField, "1", 2400, 2760, 855, 375, 36},
    {"Tdist12", ControlKind::TextField, "1", 4080, 2760, 855, 375, 37},
    {"Tdist01min", ControlKind::TextField, "1", 720, 3240, 855, 375, 40},
    {"Tdist02min", ControlKind::TextField, "1", 2400, 3240, 855, 375, 39},
    {"Tdist12min", ControlKind::TextField, "1", 4080, 3240, 855, 375, 38},
    {"Tv1max", ControlKind::TextField, "0", 5400, 3240, 855, 375, 63},
    {"Td1", ControlKind::TextField, "1", 720, 3720, 855, 375, 45},
    {"Td2", ControlKind::TextField, "1", 2400, 3720, 855, 375, 46},
    {"Td3", ControlKind::TextField, "1", 4080, 3720, 855, 375, 47},
    {"Tv2max", ControlKind::TextField, "0", 5400, 3720, 855, 375, 64},
    {"TTrev", ControlKind::TextField, "1", 720, 4200, 855, 375, 7},
    {"Tfreq", ControlKind::TextField, "", 1920, 4200, 735, 375, 30},
    {"Tdt", ControlKind::TextField, "1", 3840, 4200, 615, 375, 18},
    {"Tv3max", ControlKind::TextField, "0", 5400, 4200, 855, 375, 65},
    {"Tphi", ControlKind::TextField, "1", 4080, 4680, 855, 375, 60},
    {"Talphamin", ControlKind::TextField, "0", 960, 5160, 615, 375, 42},
    {"Talphamax", ControlKind::TextField, "360", 2400, 5160, 855, 375, 41},
    {"Tdalpha", ControlKind::TextField, "10", 4080, 5160, 855, 375, 44},
    {"LnBH", ControlKind::Label, "# BH", 2040, 360, 615, 255, 29},
    {"Ltotaltime", ControlKind::Label, "Total time", 3240, 360, 735, 255, 33},
    {"Lmaxcount", ControlKind::Label, "Max count", 120, 840, 855, 255, 3},
    {"Lvc", ControlKind::Label, "v/c", 2040, 840, 495, 255, 12},
    {"Lnrev", ControlKind::Label, "n rev", 3240, 840, 735, 255, 14},
    {"LBH1", ControlKind::Label, "BH 1", 120, 1360, 495, 255, 5},
    {"LBH2", ControlKind::Label, "BH 2", 1920, 1360, 375, 255, 10},
    {"LBH3", ControlKind::Label, "BH 3", 3480, 1320, 375, 255, 35},
    {"Ldm1", ControlKind::Label, "dm1 %", 0, 1800, 615, 255, 17},
    {"Ldm2", ControlKind::Label, "dm2 %", 1680, 1800, 615, 255, 27},
    {"Lv0", ControlKind::Label, "v1", 120, 2280, 375, 255, 50},
    {"Lv1", ControlKind::Label, "v2", 1800, 2280, 375, 255, 22},
    {"Lv2", ControlKind::Label, "v3", 3480, 2280, 375, 255, 53},
    {"Lxmaxf", ControlKind::Label, "xmaxf", 5520, 2400, 615, 255, 68},
    {"Ldist01", ControlKind::Label, "dist12", 120, 2760, 495, 255, 15},
    {"Ldist02", ControlKind::Label, "dist13", 1800, 2760, 495, 255, 54},
    {"Ldist12", ControlKind::Label, "dist23", 3360, 2760, 495, 255, 55},
    {"Label1", ControlKind::Label, "v1 v2 v3 max", 5280, 2880, 975, 255, 66},
    {"Ldistmin", ControlKind::Label, "dist min", 0, 3240, 615, 255, 62},
    {"Lr1", ControlKind::Label, "r1", 120, 3720, 375, 255, 51},
    {"Lr2", ControlKind::Label, "r2", 1800, 3720, 375, 255, 56},
    {"Lr3", ControlKind::Label, "r3", 3480, 3720, 375, 255, 57},
    {"LTrev", ControlKind::Label, "Rev time", 0, 4200, 735, 255, 8},
    {"Lfreq", ControlKind::Label, "f", 1680, 4200, 255, 255, 24},
    {"LHz", ControlKind::Label, "Hz", 2760, 4200, 375, 255, 31},
    {"Ldt", ControlKind::Label, "delta t", 3300, 4200, 495, 255, 19},
    {"L106", ControlKind::Label, "10^6", 4560, 4200, 375, 255, 25},
    {"Lphi", ControlKind::Label, "Phi", 3480, 4680, 495, 255, 61},
    {"Lalphamin", ControlKind::Label, "alpha   min", 0, 5160, 855, 255, 43},
    {"Lalphamax", ControlKind::Label, "max", 1800, 5160, 495, 255, 58},
    {"Ldalpha", ControlKind::Label, "delta", 3480, 5160, 375, 255, 59},
};

TEST(ControlTable, HoldsSeventyOneControlsOfThreeKinds) {
  EXPECT_EQ(kControlCount, 71u);
  EXPECT_EQ(controlTable().size(), 71u);
  std::map<ControlKind, std::size_t> kinds;
  for (const ControlDesign& design : controlTable()) ++kinds[design.kind];
  EXPECT_EQ(kinds[ControlKind::TextField], 37u);
  EXPECT_EQ(kinds[ControlKind::Label], 31u);
  EXPECT_EQ(kinds[ControlKind::Button], 3u);
  EXPECT_EQ(kTextFieldCount + kLabelCount + kButtonCount, kControlCount);
}

TEST(ControlTable, EveryControlMatchesTheDesign) {
  ASSERT_EQ(std::size(kDesign), kControlCount);
  for (const DesignRow& row : kDesign) {
    SCOPED_TRACE(row.name);
    const auto id = controlByName(row.name);
    ASSERT_TRUE(id.has_value());
    const ControlDesign& design = controlDesign(*id);
    EXPECT_EQ(design.id, *id);
    EXPECT_EQ(design.name, row.name);
    EXPECT_EQ(design.kind, row.kind);
    EXPECT_EQ(design.text, row.text);
    EXPECT_EQ(design.left, row.left);
    EXPECT_EQ(design.top, row.top);
    EXPECT_EQ(design.width, row.width);
    EXPECT_EQ(design.height, row.height);
    EXPECT_EQ(design.tabIndex, row.tab);
  }
}

TEST(ControlTable, NamesAreUniqueAndCarryTheirKind) {
  std::set<std::string> names;
  for (const ControlDesign& design : controlTable()) {
    EXPECT_TRUE(names.insert(std::string(design.name)).second) << design.name;
    const std::string name(design.name);
    switch (design.kind) {
      case ControlKind::TextField:
        EXPECT_EQ(name.front(), 'T') << name;
        break;
      case ControlKind::Label:
        EXPECT_EQ(name.front(), 'L') << name;
        break;
      case ControlKind::Button:
        EXPECT_EQ(name.rfind("Command", 0), 0u) << name;
        break;
    }
  }
  EXPECT_EQ(names.size(), kControlCount);
}

TEST(ControlTable, TabIndicesAreUnique) {
  std::set<int> tabs;
  for (const ControlDesign& design : controlTable())
    EXPECT_TRUE(tabs.insert(design.tabIndex).second) << design.name;
}

TEST(ControlTable, LookupByNameRoundTrips) {
  for (ControlId id : allControls()) {
    const auto found = controlByName(controlDesign(id).name);
    ASSERT_TRUE(found.has_value()) << nameOf(id);
    EXPECT_EQ(*found, id);
  }
  EXPECT_FALSE(controlByName("").has_value());
  EXPECT_FALSE(controlByName("Tnbh ").has_value());
  EXPECT_FALSE(controlByName("Form1").has_value());
  EXPECT_FALSE(controlByName("TBH4").has_value());
}

// ---------------------------------------------------------------------------------------------------
// Notifications of the control window model
// ---------------------------------------------------------------------------------------------------

class EventLog : public Form1Events {
 public:
  explicit EventLog(Form1& form) : form_(form) { form_.setEvents(this); }
  ~EventLog() override { form_.setEvents(nullptr); }
  EventLog(const EventLog&) = delete;
  EventLog& operator=(const EventLog&) = delete;

  void onChange(ControlId id) override {
    log.push_back("change " + nameOf(id) + " '" + form_.text(id) + "'");
    if (reaction) {
      auto react = std::move(reaction);
      reaction = nullptr;
      react(id);
    }
  }
  void onClick(ControlId id) override { log.push_back("click " + nameOf(id)); }

  std::vector<std::string> log;
  std::function<void(ControlId)> reaction;

 private:
  Form1& form_;
};

TEST(Form1Notifications, ChangeIsRaisedInsideTheWriteWithTheNewText) {
  Form1 form;
  EventLog events(form);
  form.setText(Tfreq, "50");
  EXPECT_EQ(events.log, (std::vector<std::string>{"change Tfreq '50'"}));
  EXPECT_EQ(form.text(Tfreq), "50");
}

TEST(Form1Notifications, OnlyWhenTheTextDiffers) {
  Form1 form;
  EventLog events(form);
  form.setText(Tnrev, "7");   // the design text
  form.setText(Tdist01, "");  // empty at design
  EXPECT_TRUE(events.log.empty());
  form.setText(Tnrev, " 7");  // a leading blank is a different text
  form.setText(Tnrev, " 7");
  form.userEdit(Tnrev, " 7");
  EXPECT_EQ(events.log, (std::vector<std::string>{"change Tnrev ' 7'"}));
}

TEST(Form1Notifications, CaptionsRaiseNothing) {
  Form1 form;
  EventLog events(form);
  form.setText(Lnrev, "n rev  ");
  form.setText(CommandStart, "Cont");
  form.setText(CommandEnd, "Stop");
  EXPECT_TRUE(events.log.empty());
  EXPECT_EQ(form.text(Lnrev), "n rev  ");
  EXPECT_EQ(form.text(CommandStart), "Cont");
}

TEST(Form1Notifications, EveryTextFieldRaisesItsOwnChange) {
  Form1 form;
  EventLog events(form);
  std::vector<std::string> expected;
  for (const ControlDesign& design : controlTable()) {
    form.setText(design.id, "x9");
    if (design.kind == ControlKind::TextField)
      expected.push_back("change " + std::string(design.name) + " 'x9'");
  }
  EXPECT_EQ(events.log, expected);
  EXPECT_EQ(expected.size(), kTextFieldCount);
}

TEST(Form1Notifications, UserEditRaisesChange) {
  Form1 form;
  EventLog events(form);
  form.userEdit(TBH1, "25");
  EXPECT_EQ(events.log, (std::vector<std::string>{"change TBH1 '25'"}));
}

TEST(Form1Notifications, NestedWriteCompletesBeforeTheOuterWriteReturns) {
  Form1 form;
  EventLog events(form);
  events.reaction = [&](ControlId) {
    form.setText(Tvc, "");
    events.log.push_back("nested write returned");
  };
  form.setText(Tfreq, "50");
  events.log.push_back("outer write returned");
  EXPECT_EQ(events.log, (std::vector<std::string>{"change Tfreq '50'", "change Tvc ''",
                                                  "nested write returned", "outer write returned"}));
}

TEST(Form1Notifications, ClickOnlyThroughTheUserAndOnlyOnVisibleControls) {
  Form1 form;
  EventLog events(form);
  form.setText(Tvc, "2");
  form.setVisible(Tvc, false);
  form.setTop(Tvc, 100);
  events.log.clear();
  form.userClick(Tvc);  // hidden: nothing
  EXPECT_TRUE(events.log.empty());
  form.setVisible(Tvc, true);
  form.userClick(Tvc);
  form.userClick(CommandStart);
  form.userClick(LnBH);
  EXPECT_EQ(events.log, (std::vector<std::string>{"click Tvc", "click CommandStart", "click LnBH"}));
  EXPECT_EQ(form.top(Tvc), 100);
}

TEST(Form1Notifications, DesignStateBeforeLoading) {
  Form1 form;
  for (const DesignRow& row : kDesign) {
    const ControlId id = *controlByName(row.name);
    EXPECT_EQ(form.text(id), row.text) << row.name;
    EXPECT_EQ(form.top(id), row.top) << row.name;
    EXPECT_TRUE(form.visible(id)) << row.name;
  }
}

// ---------------------------------------------------------------------------------------------------
// Start-up
// ---------------------------------------------------------------------------------------------------

// The texts after loading with one black hole: the design defaults as overwritten by the body-count set-up
// for one black hole, and "Phi" emptied by the display sizing.
const std::map<ControlId, std::string> kLoadedTexts = {
    {TnBH, "1"},
    {Ttotaltime, " 0"},
    {TTott0, " 0"},
    {Tmaxcount, "1000000"},
    {Tvc, " 1"},
    {Tnrev, " 1"},
    {Tnrev0, " 1"},
    {TBH1, "10000"},
    {TBH2, "0"},
    {TBH3, "0"},
    {Ty1, "0"},
    {Tdm1, "5"},
    {Tdm2, "5"},
    {Tx1, "0"},
    {Tv0, "0"},
    {Tv1, "0"},
    {Tv2, "0"},
    {Txmaxf, "2"},
    {Tdist01, ""},
    {Tdist02, ""},
    {Tdist12, ""},
    {Tdist01min, "1"},
    {Tdist02min, "1"},
    {Tdist12min, "1"},
    {Tv1max, "0"},
    {Td1, "1"},
    {Td2, "1"},
    {Td3, "1"},
    {Tv2max, "0"},
    {TTrev, "1"},
    {Tfreq, ""},
    {Tdt, "1"},
    {Tv3max, "0"},
    {Tphi, ""},
    {Talphamin, "0"},
    {Talphamax, "360"},
    {Tdalpha, "10"},
    {CommandStart, "Start"},
    {CommandEnd, "End"},
    {Command3, "Grid"},
    {LnBH, "# BH"},
    {Ltotaltime, "Total time"},
    {Lmaxcount, "Max count"},
    {Lvc, "v/c"},
    {Lnrev, "n rev  "},
    {LBH1, "BH 1"},
    {LBH2, "BH 2"},
    {LBH3, "BH 3"},
    {Ldm1, "dm1 %"},
    {Ldm2, "dm2 %"},
    {Lv0, "v1"},
    {Lv1, "v2"},
    {Lv2, "v3"},
    {Lxmaxf, "xmaxf"},
    {Ldist01, "dist12"},
    {Ldist02, "dist13"},
    {Ldist12, "dist23"},
    {Label1, "v1 v2 v3 max"},
    {Ldistmin, "dist min"},
    {Lr1, "r1"},
    {Lr2, "r2"},
    {Lr3, "r3"},
    {LTrev, "Rev time"},
    {Lfreq, "f"},
    {LHz, "Hz"},
    {Ldt, "delta t"},
    {L106, "10^6"},
    {Lphi, "Phi"},
    {Lalphamin, "alpha   min"},
    {Lalphamax, "max"},
    {Ldalpha, "delta"},
};

// Hidden by the layout for one black hole.
const std::set<ControlId> kHiddenForOne = {
    LBH2,      TBH2,      LBH3,      TBH3,       Ldm1,       Ldm2,       Tdm1, Tdm2, Tdist02,
    Tdist12,   Ldist02,   Ldist12,   Tdist01min, Tdist02min, Tdist12min, Td3,  Lr3,  Lalphamin,
    Talphamin, Lalphamax, Talphamax, Ldalpha,    Tdalpha,    Ldistmin,   Tv2,  Lv2,
};

void expectHiddenExactly(const Harness& h, std::set<ControlId> hidden) {
  hidden.insert(Command3);  // hidden for good at start-up
  for (ControlId id : allControls()) {
    EXPECT_EQ(h.visible(id), hidden.count(id) == 0) << nameOf(id);
  }
}

TEST(FormLoad, PlacesBothWindows) {
  Harness h;
  const WindowGeometry& g = h.program.form1.geometry();
  EXPECT_EQ(g.left, 0.0f);
  EXPECT_EQ(g.top, 0.0f);
  EXPECT_EQ(g.width, 5145.0f);
  EXPECT_EQ(g.height, 5190.0f);
  EXPECT_TRUE(h.program.form2.shown());
  EXPECT_EQ(h.program.form2.Left(), 5145.0f);
  EXPECT_EQ(h.program.form2.Top(), 0.0f);
  // The design drawing area 2250 x 3000 is kept: 150 x 200 pixels.
  EXPECT_EQ(h.program.form2.Width(), 2370.0f);
  EXPECT_EQ(h.program.form2.Height(), 3510.0f);
  EXPECT_EQ(h.program.module.xpixmax, 149);
  EXPECT_EQ(h.program.module.ypixmax, 199);
}

TEST(FormLoad, SetsTheRunStateForOneBlackHole) {
  Harness h;
  const Module1& m = h.program.module;
  EXPECT_EQ(m.EditsEnabled, 1);
  EXPECT_EQ(m.nBH, 1);
  EXPECT_EQ(m.SetupChanged, 1);  // the set-up's write into "n rev"
  EXPECT_EQ(m.StopRequested, 0);
  EXPECT_EQ(m.UserCommand, "");
  EXPECT_EQ(m.BH10, 10000);
  EXPECT_EQ(m.BH20, 0);
  EXPECT_EQ(m.BH30, 0);
  EXPECT_EQ(m.nrev0, 1);
  EXPECT_EQ(m.Tott0, 0);
  EXPECT_FALSE(h.platform.ended());
}

TEST(FormLoad, FieldAndCaptionTexts) {
  Harness h;
  ASSERT_EQ(kLoadedTexts.size(), kControlCount);
  for (const auto& [id, text] : kLoadedTexts) EXPECT_EQ(h.text(id), text) << nameOf(id);
}

TEST(FormLoad, HidesGridAndLaysOutForOneBlackHole) {
  Harness h;
  expectHiddenExactly(h, kHiddenForOne);
}

TEST(FormLoad, MovesTheRowLabelsDownByForty) {
  Harness h;
  std::map<ControlId, int> expectedTop;
  for (const DesignRow& row : kDesign) expectedTop[*controlByName(row.name)] = row.top;
  const std::pair<int, std::vector<ControlId>> rows[] = {
      {360, {LnBH, Ltotaltime}}, {840, {Lmaxcount, Lvc, Lnrev}}, {1320, {LBH1, LBH2, LBH3}},
      {2280, {Lv0, Lv1, Lv2}},   {3720, {Lr1, Lr2, Lr3}},        {4200, {LTrev, Lfreq, LHz, Ldt, L106}},
  };
  for (const auto& [row, labels] : rows) {
    for (ControlId id : labels) expectedTop[id] = row + 40;
  }
  // The layout for one black hole puts "Phi" at 1800.
  expectedTop[Lphi] = 1800;
  expectedTop[Tphi] = 1800;
  for (ControlId id : allControls()) EXPECT_EQ(h.program.form1.top(id), expectedTop[id]) << nameOf(id);
  EXPECT_EQ(h.program.form1.top(LBH3), 1360);
  EXPECT_EQ(h.program.form1.top(Lnrev), 880);
  EXPECT_EQ(h.program.form1.top(L106), 4240);
  EXPECT_EQ(h.program.form1.top(Ldm1), 1800);  // not moved
}

TEST(FormLoad, TakesTheBodyCountFromTheField) {
  ScriptedPlatform platform;
  Program program(platform);
  program.form1.setText(TnBH, "2");
  program.Form_Load();
  EXPECT_EQ(program.module.nBH, 2);
  EXPECT_EQ(program.text(TnBH), "2");  // read, not rewritten
  EXPECT_EQ(program.text(Tfreq), " 33");
  EXPECT_EQ(program.text(TBH1), "36");
  EXPECT_TRUE(program.form1.visible(TBH2));
  EXPECT_FALSE(program.form1.visible(TBH3));
}

// ---------------------------------------------------------------------------------------------------
// Body-count set-up
// ---------------------------------------------------------------------------------------------------

// Fields the set-up never touches, with texts that no set-up would write.
const std::vector<std::pair<ControlId, std::string>> kUntouched = {
    {Tdm1, "21"},      {Tdm2, "22"},   {Talphamin, "23"},  {Talphamax, "24"},  {Tdalpha, "25"},
    {Tmaxcount, "26"}, {Txmaxf, "27"}, {Tdist01min, "28"}, {Tdist02min, "29"}, {Tdist12min, "30"},
    {Td1, "31"},       {Td2, "32"},    {Td3, "33"},        {Tphi, "34"},       {TTrev, "35"},
    {Tdt, "36"},       {Tv1max, "37"}, {Tv2max, "38"},     {Tv3max, "39"},     {Tx1, "40"},
    {Ty1, "41"},       {TnBH, "42"},
};

// Every field the set-up writes, filled with other texts first.
void scramble(Harness& h) {
  h.program.module.EditsEnabled = 0;
  const std::pair<ControlId, const char*> junk[] = {
      {Tvc, "3"},    {Tfreq, "4"}, {Tdist01, "5"}, {Tdist02, "6"},   {Tdist12, "7"}, {Tnrev0, "8"},
      {TTott0, "9"}, {TBH1, "10"}, {TBH2, "11"},   {TBH3, "12"},     {Tnrev, "13"},  {Ttotaltime, "14"},
      {Tv0, "15"},   {Tv1, "16"},  {Tv2, "17"},    {Lnrev, "n rev"},
  };
  for (const auto& [id, text] : junk) h.program.form1.setText(id, text);
  for (const auto& [id, text] : kUntouched) h.program.form1.setText(id, text);
  h.program.module.EditsEnabled = 1;
}

const std::map<ControlId, std::string> kSetupForOne = {
    {Tvc, " 1"},     {Tfreq, ""}, {Tnrev0, " 1"}, {Tnrev, " 1"},      {TTott0, " 0"}, {Ttotaltime, " 0"},
    {TBH1, "10000"}, {TBH2, "0"}, {TBH3, "0"},    {Tdist01, ""},      {Tdist02, ""},  {Tdist12, ""},
    {Tv0, "0"},      {Tv1, "0"},  {Tv2, "0"},     {Lnrev, "n rev  "},
};

const std::map<ControlId, std::string> kSetupForOther = {
    {Tvc, ""},    {Tfreq, " 33"}, {Tnrev0, " 7"}, {Tnrev, " 7"},      {TTott0, " .5"}, {Ttotaltime, " .5"},
    {TBH1, "36"}, {TBH2, "29"},   {TBH3, "5"},    {Tdist01, ""},      {Tdist02, ""},   {Tdist12, ""},
    {Tv0, "0"},   {Tv1, "0"},     {Tv2, "0"},     {Lnrev, "n rev  "},
};

class BHCountSetupTest : public ::testing::TestWithParam<double> {};

TEST_P(BHCountSetupTest, WritesTheDefaultsForTheCount) {
  const double count = GetParam();
  const bool single = count == 1;
  Harness h;
  scramble(h);
  Module1& m = h.program.module;
  m.nBH = count;  // both callers set nBH before the set-up
  m.SetupChanged = 0;
  h.program.BHCountSetup(count);

  for (const auto& [id, text] : single ? kSetupForOne : kSetupForOther) {
    EXPECT_EQ(h.text(id), text) << nameOf(id);
  }
  for (const auto& [id, text] : kUntouched) EXPECT_EQ(h.text(id), text) << nameOf(id) << " was touched";
  EXPECT_EQ(m.BH10, single ? 10000 : 36);
  EXPECT_EQ(m.BH20, single ? 0 : 29);
  EXPECT_EQ(m.BH30, single ? 0 : 5);
  EXPECT_EQ(m.nrev0, single ? 1 : 7);
  EXPECT_EQ(m.Tott0, single ? 0 : 0.5);
  EXPECT_EQ(m.SetupChanged, 1);  // through the change of "n rev"
  EXPECT_EQ(m.nBH, count);
  EXPECT_EQ(m.EditsEnabled, 1);
  // The visibility is the display sizing's business, not the set-up's.
  expectHiddenExactly(h, kHiddenForOne);
}

INSTANTIATE_TEST_SUITE_P(Counts, BHCountSetupTest, ::testing::Values(1.0, 2.0, 3.0, 0.0, 8.0, 1.5, -1.0));

TEST(BHCountSetup, TwoAndThreeGiveIdenticalFields) {
  Harness two;
  two.program.module.nBH = 2;
  two.program.BHCountSetup(2);
  Harness three;
  three.program.module.nBH = 3;
  three.program.BHCountSetup(3);
  for (ControlId id : allControls()) EXPECT_EQ(two.text(id), three.text(id)) << nameOf(id);
}

TEST(BHCountSetup, OneBlackHoleWritesTvcThenItsCascade) {
  Harness h;
  h.setBodyCount(2);
  h.program.module.EditsEnabled = 0;
  h.program.form1.setText(Tdist01, "5");
  h.program.module.EditsEnabled = 1;
  h.program.module.nBH = 1;
  TextWrites writes(h.program.form1);
  h.program.BHCountSetup(1);
  // Tvc_Change empties Tfreq and Tdist01 inside the write of Tvc.
  const std::vector<std::pair<ControlId, std::string>> expected = {
      {Tvc, " 1"},     {Tfreq, ""}, {Tdist01, ""}, {Tnrev0, " 1"}, {TTott0, " 0"},
      {TBH1, "10000"}, {TBH2, "0"}, {TBH3, "0"},   {Tnrev, " 1"},  {Ttotaltime, " 0"},
  };
  EXPECT_EQ(writes.writes, expected);
}

TEST(BHCountSetup, OtherCountWritesTfreqThenItsCascade) {
  Harness h;
  h.program.module.EditsEnabled = 0;
  h.program.form1.setText(Tdist01, "5");
  h.program.module.EditsEnabled = 1;
  h.program.module.nBH = 2;
  TextWrites writes(h.program.form1);
  h.program.BHCountSetup(2);
  // Tfreq_Change empties Tvc (already empty) and Tdist01 inside the write of Tfreq.
  const std::vector<std::pair<ControlId, std::string>> expected = {
      {Tvc, ""},    {Tfreq, " 33"}, {Tdist01, ""}, {Tnrev0, " 7"}, {TTott0, " .5"},
      {TBH1, "36"}, {TBH2, "29"},   {TBH3, "5"},   {Tnrev, " 7"},  {Ttotaltime, " .5"},
  };
  EXPECT_EQ(writes.writes, expected);
}

TEST(BHCountSetup, OneBlackHoleMassWriteEmptiesTheOrbitFields) {
  Harness h;  // Tvc already reads " 1", so its write raises nothing
  h.program.module.EditsEnabled = 0;
  h.program.form1.setText(Tfreq, "4");
  h.program.form1.setText(Tdist01, "5");
  h.program.form1.setText(TBH1, "7");
  h.program.module.EditsEnabled = 1;
  TextWrites writes(h.program.form1);
  h.program.BHCountSetup(1);
  // TBH1_Change empties Tdist01 inside the write of TBH1.
  const std::vector<std::pair<ControlId, std::string>> expected = {
      {Tfreq, ""}, {TBH1, "10000"}, {Tdist01, ""}};
  EXPECT_EQ(writes.writes, expected);
}

TEST(BHCountSetup, WithEditsDisabledNoHandlerCascades) {
  Harness h;
  h.program.module.EditsEnabled = 0;
  h.program.form1.setText(Tdist01, "5");
  h.program.module.nBH = 1;
  h.program.BHCountSetup(1);
  // Only the set-up's own writes: its last write into Tdist01 empties it anyway.
  EXPECT_EQ(h.text(Tdist01), "");
  EXPECT_EQ(h.text(Tvc), " 1");
  EXPECT_EQ(h.text(Tfreq), "");
}

// ---------------------------------------------------------------------------------------------------
// The "# BH" click cycle and the layout it brings
// ---------------------------------------------------------------------------------------------------

const std::set<ControlId> kHiddenForTwo = {
    LBH3, TBH3,      Tdist02,   Tdist12,   Ldist02,   Ldist12, Tdist01min, Tdist02min, Tdist12min, Td3,
    Lr3,  Lalphamin, Talphamin, Lalphamax, Talphamax, Ldalpha, Tdalpha,    Ldistmin,   Tv2,        Lv2,
};

const std::set<ControlId> kHiddenForThree = {Tdm1, Ldm1, Tdm2, Ldm2, Lphi, Tphi};

TEST(BodyCountCycle, OneTwoThreeOne) {
  Harness h;
  Form1& form = h.program.form1;
  const ControlId alphaRow[] = {Lalphamin, Talphamin, Lalphamax, Talphamax, Ldalpha, Tdalpha};

  // 1 -> 2
  h.program.module.SetupChanged = 0;
  h.click(TnBH);
  EXPECT_EQ(h.program.module.nBH, 2);
  EXPECT_EQ(h.text(TnBH), " 2");
  EXPECT_EQ(h.program.module.SetupChanged, 1);
  for (const auto& [id, text] : kSetupForOther) EXPECT_EQ(h.text(id), text) << nameOf(id);
  expectHiddenExactly(h, kHiddenForTwo);
  EXPECT_EQ(form.top(Lphi), 1800);
  EXPECT_EQ(form.top(Tphi), 1800);
  for (ControlId id : alphaRow) EXPECT_EQ(form.top(id), 5160) << nameOf(id);
  EXPECT_EQ(form.top(LBH3), 1360);
  for (ControlId id : {Tdist01min, Tdist02min, Tdist12min, Td1, Td2, Td3, Tphi}) {
    EXPECT_EQ(h.text(id), "") << nameOf(id);
  }

  // 2 -> 3
  h.program.module.SetupChanged = 0;
  h.click(TnBH);
  EXPECT_EQ(h.program.module.nBH, 3);
  EXPECT_EQ(h.text(TnBH), " 3");
  EXPECT_EQ(h.program.module.SetupChanged, 1);
  for (const auto& [id, text] : kSetupForOther) EXPECT_EQ(h.text(id), text) << nameOf(id);
  expectHiddenExactly(h, kHiddenForThree);
  EXPECT_EQ(form.top(LBH3), 1320);  // the design row top, 40 above "BH 1" and "BH 2"
  EXPECT_EQ(form.top(TBH3), 1320);
  EXPECT_EQ(form.top(LBH1), 1360);
  EXPECT_EQ(form.top(LBH2), 1360);
  for (ControlId id : alphaRow) EXPECT_EQ(form.top(id), 1800) << nameOf(id);
  EXPECT_EQ(form.top(Lphi), 1800);
  EXPECT_EQ(form.top(Tphi), 1800);

  // 3 -> 1
  h.program.module.SetupChanged = 0;
  h.click(TnBH);
  EXPECT_EQ(h.program.module.nBH, 1);
  EXPECT_EQ(h.text(TnBH), " 1");
  EXPECT_EQ(h.program.module.SetupChanged, 1);
  for (const auto& [id, text] : kSetupForOne) EXPECT_EQ(h.text(id), text) << nameOf(id);
  expectHiddenExactly(h, kHiddenForOne);
  for (ControlId id : alphaRow) EXPECT_EQ(form.top(id), 1800) << nameOf(id);  // stays moved
  EXPECT_EQ(form.top(Lphi), 1800);
  EXPECT_EQ(form.top(Tphi), 1800);
  EXPECT_EQ(form.top(LBH3), 1320);
  EXPECT_EQ(h.text(Tphi), "");
  // Results of the layout for 2 and 3 that the layout for 1 leaves alone.
  EXPECT_EQ(h.text(Td1), "");
  EXPECT_EQ(h.text(Td2), "");
}

TEST(BodyCountCycle, ThreeClicksReturnToOneEveryTime) {
  Harness h;
  const double expected[] = {2, 3, 1, 2, 3, 1};
  for (double count : expected) {
    h.click(TnBH);
    EXPECT_EQ(h.program.module.nBH, count);
  }
}

TEST(BodyCountCycle, EveryResizeEmptiesPhiAndTheTwoBodyResults) {
  Harness h;
  h.setBodyCount(2);
  for (ControlId id : {Tphi, Tdist01min, Tdist02min, Tdist12min, Td1, Td2, Td3}) {
    h.program.form1.setText(id, "9");
  }
  h.program.RESIZE(1);
  for (ControlId id : {Tphi, Tdist01min, Tdist02min, Tdist12min, Td1, Td2, Td3}) {
    EXPECT_EQ(h.text(id), "") << nameOf(id);
  }
  h.setBodyCount(1);
  for (ControlId id : {Tphi, Td1, Td2}) h.program.form1.setText(id, "9");
  h.program.RESIZE(1);
  EXPECT_EQ(h.text(Tphi), "");
  EXPECT_EQ(h.text(Td1), "9");
  EXPECT_EQ(h.text(Td2), "9");
}

// ---------------------------------------------------------------------------------------------------
// Field handlers
// ---------------------------------------------------------------------------------------------------

struct OrbitCase {
  ControlId field;
  const char* typed;
  bool clears;  // the value is strictly positive
};

const ControlId kOrbitFields[] = {Tdist01, Tfreq, Tvc};

class OrbitFieldTest : public ::testing::TestWithParam<std::tuple<OrbitCase, bool>> {};

TEST_P(OrbitFieldTest, PositiveValueEmptiesTheOtherTwo) {
  const auto& [c, enabled] = GetParam();
  Harness h;
  h.program.module.EditsEnabled = 0;
  h.program.form1.setText(Tdist01, "11");
  h.program.form1.setText(Tfreq, "22");
  h.program.form1.setText(Tvc, "33");
  h.program.module.EditsEnabled = enabled ? 1 : 0;
  h.program.module.SetupChanged = 0;
  const std::map<ControlId, std::string> before = {{Tdist01, "11"}, {Tfreq, "22"}, {Tvc, "33"}};

  h.type(c.field, c.typed);

  EXPECT_EQ(h.text(c.field), c.typed);
  for (ControlId other : kOrbitFields) {
    if (other == c.field) continue;
    const std::string expected = enabled && c.clears ? "" : before.at(other);
    EXPECT_EQ(h.text(other), expected) << nameOf(other);
  }
  EXPECT_EQ(h.program.module.SetupChanged, 0);  // typing into these three never touches it
  EXPECT_EQ(h.program.module.EditsEnabled, enabled ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Typed, OrbitFieldTest,
    ::testing::Combine(::testing::Values(OrbitCase{Tfreq, "50", true}, OrbitCase{Tfreq, "0", false},
                                         OrbitCase{Tfreq, "-1", false}, OrbitCase{Tfreq, "", false},
                                         OrbitCase{Tfreq, "abc", false}, OrbitCase{Tfreq, " .5", true},
                                         OrbitCase{Tfreq, "1e-3", true}, OrbitCase{Tdist01, "50", true},
                                         OrbitCase{Tdist01, "0", false}, OrbitCase{Tdist01, "-1", false},
                                         OrbitCase{Tdist01, "7km", true}, OrbitCase{Tvc, "0.5", true},
                                         OrbitCase{Tvc, "0", false}, OrbitCase{Tvc, "-1", false},
                                         OrbitCase{Tvc, "", false}),
                       ::testing::Bool()));

TEST(FieldHandlers, WritingTheNumberTextOfOneIntoTvcEmptiesTheOthers) {
  Harness h;
  h.program.module.EditsEnabled = 0;
  h.program.form1.setText(Tfreq, "22");
  h.program.form1.setText(Tdist01, "11");
  h.program.form1.setText(Tvc, "");
  h.program.module.EditsEnabled = 1;
  h.program.write(Tvc, " 1");  // from code, not typed
  EXPECT_EQ(h.text(Tfreq), "");
  EXPECT_EQ(h.text(Tdist01), "");
}

struct CountGateCase {
  double nBH;
  bool clears;
};

class TvcBodyCountTest : public ::testing::TestWithParam<CountGateCase> {};

TEST_P(TvcBodyCountTest, OnlyForOneTwoOrThreeBlackHoles) {
  const CountGateCase& c = GetParam();
  Harness h;
  h.program.module.EditsEnabled = 0;
  h.program.form1.setText(Tfreq, "22");
  h.program.form1.setText(Tdist01, "11");
  h.program.module.EditsEnabled = 1;
  h.program.module.nBH = c.nBH;
  h.type(Tvc, "5");
  EXPECT_EQ(h.text(Tfreq), c.clears ? "" : "22");
  EXPECT_EQ(h.text(Tdist01), c.clears ? "" : "11");
}

INSTANTIATE_TEST_SUITE_P(Counts, TvcBodyCountTest,
                         ::testing::Values(CountGateCase{1, true}, CountGateCase{2, true},
                                           CountGateCase{3, true}, CountGateCase{0, false},
                                           CountGateCase{4, false}, CountGateCase{8, false},
                                           CountGateCase{2.5, false}));

struct MassCase {
  double nBH;
  int editsEnabled;
  const char* typed;
  bool clears;
};

class TBH1ChangeTest : public ::testing::TestWithParam<MassCase> {};

TEST_P(TBH1ChangeTest, PositiveMassEmptiesFrequencyAndSeparationForOneBlackHole) {
  const MassCase& c = GetParam();
  Harness h;
  h.program.module.EditsEnabled = 0;
  h.program.form1.setText(Tfreq, "22");
  h.program.form1.setText(Tdist01, "11");
  h.program.form1.setText(Tvc, "33");
  h.program.module.EditsEnabled = static_cast<std::int16_t>(c.editsEnabled);
  h.program.module.nBH = c.nBH;
  h.type(TBH1, c.typed);
  EXPECT_EQ(h.text(Tfreq), c.clears ? "" : "22");
  EXPECT_EQ(h.text(Tdist01), c.clears ? "" : "11");
  EXPECT_EQ(h.text(Tvc), "33");  // never touched by the mass
}

INSTANTIATE_TEST_SUITE_P(Cases, TBH1ChangeTest,
                         ::testing::Values(MassCase{1, 1, "20", true}, MassCase{1, 1, " .5", true},
                                           MassCase{1, 1, "0", false}, MassCase{1, 1, "-3", false},
                                           MassCase{1, 1, "x", false}, MassCase{2, 1, "20", false},
                                           MassCase{3, 1, "20", false}, MassCase{1, 0, "20", false}));

TEST(FieldHandlers, TypingIntoTheRunParametersSetsSetupChangedInEveryState) {
  for (int enabled : {0, 1}) {
    for (ControlId id : {Talphamax, Talphamin, Tmaxcount, Tnrev}) {
      Harness h;
      h.program.module.EditsEnabled = static_cast<std::int16_t>(enabled);
      h.program.module.SetupChanged = 0;
      h.type(id, "77");
      EXPECT_EQ(h.program.module.SetupChanged, 1) << nameOf(id) << " enabled " << enabled;
    }
  }
}

TEST(FieldHandlers, TypingIntoOtherFieldsLeavesSetupChanged) {
  for (ControlId id :
       {TBH1, TBH2, TBH3, Tdm1, Tdm2, Ttotaltime, Tdalpha, Txmaxf, Tdist01, Tfreq, Tvc, TnBH}) {
    Harness h;
    h.setBodyCount(3);
    h.program.module.SetupChanged = 0;
    h.type(id, "77");
    EXPECT_EQ(h.program.module.SetupChanged, 0) << nameOf(id);
  }
}

struct ClickCase {
  ControlId field;
  int bodyCount;  // a count for which the field is shown
};

class SetupClickTest : public ::testing::TestWithParam<std::tuple<ClickCase, int>> {};

TEST_P(SetupClickTest, ClickIntoTheFieldSetsSetupChanged) {
  const auto& [c, enabled] = GetParam();
  Harness h;
  h.setBodyCount(c.bodyCount);
  ASSERT_TRUE(h.visible(c.field));
  h.program.module.EditsEnabled = static_cast<std::int16_t>(enabled);
  h.program.module.SetupChanged = 0;
  const std::string before = h.text(c.field);
  h.click(c.field);
  EXPECT_EQ(h.program.module.SetupChanged, 1);
  EXPECT_EQ(h.text(c.field), before);
  EXPECT_EQ(h.program.module.nBH, c.bodyCount);
}

INSTANTIATE_TEST_SUITE_P(EightFields, SetupClickTest,
                         ::testing::Combine(::testing::Values(ClickCase{TBH1, 1}, ClickCase{TBH2, 2},
                                                              ClickCase{TBH3, 3}, ClickCase{Tdist01, 1},
                                                              ClickCase{Tdm1, 2}, ClickCase{Tdm2, 2},
                                                              ClickCase{Tfreq, 1}, ClickCase{Tvc, 1}),
                                            ::testing::Values(0, 1)));

TEST(FieldHandlers, ClicksIntoOtherFieldsLeaveSetupChanged) {
  Harness h;
  h.setBodyCount(3);
  for (ControlId id :
       {Tnrev, Tmaxcount, Talphamin, Talphamax, Tdalpha, Ttotaltime, Txmaxf, Tv0, Tdist02, LnBH}) {
    ASSERT_TRUE(h.visible(id)) << nameOf(id);
    h.program.module.SetupChanged = 0;
    h.click(id);
    EXPECT_EQ(h.program.module.SetupChanged, 0) << nameOf(id);
  }
}

TEST(FieldHandlers, ClickIntoAHiddenFieldDoesNothing) {
  Harness h;  // one black hole: "BH 2" and "dm1 %" are hidden
  h.program.module.SetupChanged = 0;
  h.click(TBH2);
  h.click(Tdm1);
  EXPECT_EQ(h.program.module.SetupChanged, 0);
}

TEST(TnBHClick, DoesNothingWhileEditsAreDisabled) {
  Harness h;
  h.program.module.EditsEnabled = 0;
  h.program.module.SetupChanged = 0;
  std::map<ControlId, std::string> before;
  std::map<ControlId, bool> shown;
  for (ControlId id : allControls()) {
    before[id] = h.text(id);
    shown[id] = h.visible(id);
  }
  h.click(TnBH);
  EXPECT_EQ(h.program.module.nBH, 1);
  EXPECT_EQ(h.program.module.SetupChanged, 0);
  for (ControlId id : allControls()) {
    EXPECT_EQ(h.text(id), before[id]) << nameOf(id);
    EXPECT_EQ(h.visible(id), shown[id]) << nameOf(id);
  }
}

struct TypedCountCase {
  const char* typed;
  double nBH;
  const char* text;
};

class TnBHTypedTest : public ::testing::TestWithParam<TypedCountCase> {};

TEST_P(TnBHTypedTest, TypedValuePlusOne) {
  const TypedCountCase& c = GetParam();
  Harness h;
  h.type(TnBH, c.typed);
  EXPECT_EQ(h.program.module.nBH, 1);  // typing alone changes nothing
  h.program.module.SetupChanged = 0;
  h.click(TnBH);
  EXPECT_EQ(h.program.module.nBH, c.nBH);
  EXPECT_EQ(h.text(TnBH), c.text);
  EXPECT_EQ(h.program.module.SetupChanged, 1);
  const bool single = c.nBH == 1;
  for (const auto& [id, text] : single ? kSetupForOne : kSetupForOther)
    EXPECT_EQ(h.text(id), text) << nameOf(id);
  if (single) {
    expectHiddenExactly(h, kHiddenForOne);
  } else if (c.nBH == 3) {
    expectHiddenExactly(h, kHiddenForThree);
  } else {
    // Any count other than 1 and 3 gets the layout for two.
    std::set<ControlId> hidden = kHiddenForOne;
    for (ControlId id : {LBH2, TBH2, Ldm1, Ldm2, Tdm1, Tdm2}) hidden.erase(id);
    expectHiddenExactly(h, hidden);
  }
}

INSTANTIATE_TEST_SUITE_P(Typed, TnBHTypedTest,
                         ::testing::Values(TypedCountCase{"7", 8, " 8"}, TypedCountCase{"3", 1, " 1"},
                                           TypedCountCase{"0", 1, " 1"}, TypedCountCase{"2", 3, " 3"},
                                           TypedCountCase{"-1", 0, " 0"}, TypedCountCase{"abc", 1, " 1"},
                                           TypedCountCase{" 1", 2, " 2"}));

// ---------------------------------------------------------------------------------------------------
// The "End" button while idle
// ---------------------------------------------------------------------------------------------------

TEST(CommandEnd, EndsTheProgramWhenIdle) {
  Harness h;
  ASSERT_EQ(h.text(CommandEnd), "End");
  ASSERT_FALSE(h.platform.ended());
  h.click(CommandEnd);
  EXPECT_TRUE(h.platform.ended());
  EXPECT_TRUE(h.program.ended());
  EXPECT_EQ(h.program.module.StopRequested, 0);
  EXPECT_EQ(h.text(CommandStart), "Start");  // nothing restored or written
}

TEST(CommandEnd, ReadingStopOnlyRequestsTheStop) {
  Harness h;
  h.program.form1.setText(CommandEnd, "Stop");
  h.click(CommandEnd);
  EXPECT_FALSE(h.platform.ended());
  EXPECT_EQ(h.program.module.StopRequested, 1);
}

}  // namespace
}  // namespace bhsim::testing
