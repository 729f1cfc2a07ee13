// The control window's model, start-up, the body-count set-up and the field handlers.
#include <gtest/gtest.h>

#include <set>

#include "support.hpp"

namespace bhsim::testing {
namespace {

std::string nameOf(ControlId id) {
  return std::string(controlDesign(id).name);
}

TEST(Form1, NotifiesAChangeOnlyWhenTheTextChangesAndAClickOnlyFromTheUser) {
  Form1 form;
  struct Events : Form1Events {
    void onChange(ControlId id) override { log.push_back("change " + nameOf(id)); }
    void onClick(ControlId id) override { log.push_back("click " + nameOf(id)); }
    std::vector<std::string> log;
  } events;
  form.setEvents(&events);
  form.setText(Tnrev, "7");       // the design text
  form.setText(Lnrev, "n rev ");  // a caption
  form.setText(Tnrev, " 7");
  form.userEdit(Tnrev, " 7");
  form.setVisible(Tvc, false);
  form.userClick(Tvc);  // hidden: cannot be clicked
  form.setVisible(Tvc, true);
  form.userClick(Tvc);
  form.userClick(CommandStart);
  EXPECT_EQ(events.log, (std::vector<std::string>{"change Tnrev", "click Tvc", "click CommandStart"}));
  form.setEvents(nullptr);
}

// What the body-count set-up and the layout make of the window for each count.
struct CountState {
  int count;
  std::set<ControlId> hidden;
  Fields texts;
  std::vector<std::pair<ControlId, int>> tops;
};

// clang-format off
const CountState kAfterLoad = {1,
    {Command3, LBH2, TBH2, LBH3, TBH3, Ldm1, Ldm2, Tdm1, Tdm2, Tdist02, Tdist12, Ldist02, Ldist12, Tdist01min,
     Tdist02min, Tdist12min, Td3, Lr3, Lalphamin, Talphamin, Lalphamax, Talphamax, Ldalpha, Tdalpha, Ldistmin, Tv2,
     Lv2},
    {{TnBH, "1"}, {Tvc, " 1"}, {Tfreq, ""}, {Tdist01, ""}, {Tnrev0, " 1"}, {TTott0, " 0"}, {TBH1, "10000"},
     {TBH2, "0"}, {TBH3, "0"}, {Tnrev, " 1"}, {Ttotaltime, " 0"}, {Tdist02, ""}, {Tdist12, ""}, {Tv0, "0"},
     {Tphi, ""}, {Lnrev, "n rev  "}, {Tmaxcount, "1000000"}, {Td1, "1"}},
    {{LnBH, 400}, {Lnrev, 880}, {LBH3, 1360}, {Lv2, 2320}, {Lr1, 3760}, {L106, 4240}, {Ldm1, 1800},
     {Lphi, 1800}, {Tphi, 1800}, {Talphamin, 5160}}};

const CountState kCycle[] = {
    {2, {Command3, LBH3, TBH3, Tdist02, Tdist12, Ldist02, Ldist12, Tdist01min, Tdist02min, Tdist12min, Td3, Lr3,
         Lalphamin, Talphamin, Lalphamax, Talphamax, Ldalpha, Tdalpha, Ldistmin, Tv2, Lv2},
     {{TnBH, " 2"}, {Tvc, ""}, {Tfreq, " 33"}, {Tdist01, ""}, {Tnrev0, " 7"}, {TTott0, " .5"}, {TBH1, "36"},
      {TBH2, "29"}, {TBH3, "5"}, {Tnrev, " 7"}, {Ttotaltime, " .5"}, {Td1, ""}, {Tdist01min, ""}},
     {{LBH3, 1360}, {Talphamin, 5160}, {Tphi, 1800}}},
    {3, {Command3, Tdm1, Ldm1, Tdm2, Ldm2, Lphi, Tphi},
     {{TnBH, " 3"}, {Tfreq, " 33"}, {Tdist01, ""}, {TBH1, "36"}, {TBH3, "5"}, {Tnrev, " 7"}},
     {{LBH3, 1320}, {TBH3, 1320}, {LBH1, 1360}, {Lalphamin, 1800}, {Tdalpha, 1800}, {Lphi, 1800}}},
    {1, kAfterLoad.hidden,
     {{TnBH, " 1"}, {Tvc, " 1"}, {Tfreq, ""}, {Tdist01, ""}, {TBH1, "10000"}, {TBH2, "0"}, {Tnrev, " 1"}},
     {{Lalphamin, 1800}}}};
// clang-format on

void expectState(const Harness& h, const CountState& state) {
  SCOPED_TRACE("count " + std::to_string(state.count));
  EXPECT_EQ(h.program.module.nBH, state.count);
  for (const ControlDesign& d : controlTable())
    EXPECT_EQ(h.visible(d.id), !state.hidden.count(d.id)) << d.name;
  for (const auto& [id, text] : state.texts) EXPECT_EQ(h.text(id), text) << nameOf(id);
  for (const auto& [id, top] : state.tops) EXPECT_EQ(h.program.form1.top(id), top) << nameOf(id);
  EXPECT_EQ(h.program.module.SetupChanged, 1);  // through the write into "n rev"
  EXPECT_EQ(h.program.module.BH10, state.count == 1 ? 10000 : 36);
  EXPECT_EQ(h.program.module.Tott0, state.count == 1 ? 0 : 0.5);
}

// Before each click a distance stands in the orbit fields: the write of "v/c" (one black hole) or
// "Frequency" (more) runs its handler inside the set-up, which empties it again.
TEST(StartUp, LoadsForOneBlackHoleAndEachClickOnTheCountStepsItsSetUp) {
  Harness h;
  expectState(h, kAfterLoad);
  for (const CountState& state : kCycle) {
    h.program.module.EditsEnabled = 0;
    h.program.form1.setText(Tdist01, "5");
    h.program.module.EditsEnabled = 1;
    h.program.module.SetupChanged = 0;
    h.click(TnBH);
    expectState(h, state);
  }
}

TEST(StartUp, TheCountComesFromTheFieldAndTypedCountsGoUpByOne) {
  ScriptedPlatform platform;
  Program program(platform);
  program.form1.setText(TnBH, "2");
  program.Form_Load();
  EXPECT_EQ(program.module.nBH, 2);
  EXPECT_EQ(program.text(TnBH), "2");
  for (const auto& [typed, next] : {std::pair{"7", " 8"}, {"0", " 1"}, {"x", " 1"}, {"3", " 1"}}) {
    program.form1.userEdit(TnBH, typed);
    program.form1.userClick(TnBH);
    EXPECT_EQ(program.text(TnBH), next) << typed;
  }
  program.module.EditsEnabled = 0;
  program.form1.userClick(TnBH);
  EXPECT_EQ(program.text(TnBH), " 1");
}

TEST(FieldHandlers, APositiveOrbitValueEmptiesTheOtherTwoWhileEditsAreEnabled) {
  const struct {
    ControlId field;
    const char* typed;
    double nBH;
    bool clears;
  } cases[] = {
      {Tfreq, "50", 2, true},   {Tfreq, "0", 2, false},    {Tfreq, "-1", 2, false},  {Tfreq, "1e-3", 2, true},
      {Tfreq, "abc", 2, false}, {Tdist01, "7km", 2, true}, {Tdist01, "0", 2, false}, {Tvc, ".5", 1, true},
      {Tvc, "5", 3, true},      {Tvc, "5", 0, false},      {Tvc, "5", 4, false},     {Tvc, "5", 2.5, false},
      {Tvc, "-1", 2, false},    {TBH1, "20", 1, true},     {TBH1, "0", 1, false},    {TBH1, "20", 2, false}};
  for (const auto& c : cases) {
    for (int enabled : {1, 0}) {
      Harness h;
      h.program.module.EditsEnabled = 0;
      for (ControlId id : {Tdist01, Tfreq, Tvc}) h.program.form1.setText(id, "11");
      h.program.module.EditsEnabled = static_cast<std::int16_t>(enabled);
      h.program.module.nBH = c.nBH;
      h.program.module.SetupChanged = 0;
      h.type(c.field, c.typed);
      const std::string trace = nameOf(c.field) + "=" + c.typed + " nBH " + std::to_string(c.nBH);
      for (ControlId other : {Tdist01, Tfreq, Tvc}) {
        if (other == c.field) continue;
        const bool cleared = enabled && c.clears && !(c.field == TBH1 && other == Tvc);
        EXPECT_EQ(h.text(other), cleared ? "" : "11") << trace << " " << nameOf(other);
      }
      EXPECT_EQ(h.program.module.SetupChanged, 0) << trace;
    }
  }
}

TEST(FieldHandlers, RunParametersTypedAndSetUpFieldsClickedTellTheRun) {
  const std::set<ControlId> typedSets = {Talphamax, Talphamin, Tmaxcount, Tnrev};
  const std::set<ControlId> clickedSets = {TBH1, TBH2, TBH3, Tdist01, Tdm1, Tdm2, Tfreq, Tvc};
  for (const ControlDesign& d : controlTable()) {
    if (d.kind != ControlKind::TextField || d.id == TnBH) continue;
    for (int enabled : {0, 1}) {
      Harness h;
      h.configure(3);
      for (ControlId id : {Tdm1, Tdm2}) h.program.form1.setVisible(id, true);
      h.program.module.EditsEnabled = static_cast<std::int16_t>(enabled);
      h.program.module.SetupChanged = 0;
      h.type(d.id, "77");
      EXPECT_EQ(h.program.module.SetupChanged, typedSets.count(d.id)) << "typed into " << d.name;
      h.program.module.SetupChanged = 0;
      h.click(d.id);
      EXPECT_EQ(h.program.module.SetupChanged, clickedSets.count(d.id)) << "clicked " << d.name;
    }
  }
}

}  // namespace
}  // namespace bhsim::testing
