// The control window's model, start-up, the body-count set-up and the field handlers.
#include <gtest/gtest.h>

#include <set>

#include "support.hpp"

namespace bhsim::testing {
namespace {

std::string nameOf(ControlId id) {
  return std::string(controlDesign(id).name);
}

TEST(ControlPanel, NotifiesAChangeOnlyWhenTheTextChangesAndAClickOnlyFromTheUser) {
  ControlPanel form;
  struct Events : ControlPanelEvents {
    void onChange(ControlId id) override { log.push_back("change " + nameOf(id)); }
    void onClick(ControlId id) override { log.push_back("click " + nameOf(id)); }
    std::vector<std::string> log;
  } events;
  form.setEvents(&events);
  form.setText(RevolutionsField, "7");       // the design text
  form.setText(RevolutionsLabel, "n rev ");  // a caption
  form.setText(RevolutionsField, " 7");
  form.userEdit(RevolutionsField, " 7");
  form.setVisible(SpeedRatioField, false);
  form.userClick(SpeedRatioField);  // hidden: cannot be clicked
  form.setVisible(SpeedRatioField, true);
  form.userClick(SpeedRatioField);
  form.userClick(StartButton);
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
    {GridButton, Mass2Label, Mass2Field, Mass3Label, Mass3Field, MassGain1Label, MassGain2Label, MassGain1Field, MassGain2Field, Distance13Field, Distance23Field, Distance13Label, Distance23Label, MinDistance12Field,
     MinDistance13Field, MinDistance23Field, CentreDistance3Field, CentreDistance3Label, AngleMinLabel, AngleMinField, AngleMaxLabel, AngleMaxField, AngleStepLabel, AngleStepField, MinDistanceLabel, Speed3Field,
     Speed3Label},
    {{BodyCountField, "1"}, {SpeedRatioField, " 1"}, {FrequencyField, ""}, {Distance12Field, ""}, {SavedRevolutionsField, " 1"}, {SavedTotalTimeField, " 0"}, {Mass1Field, "10000"},
     {Mass2Field, "0"}, {Mass3Field, "0"}, {RevolutionsField, " 1"}, {TotalTimeField, " 0"}, {Distance13Field, ""}, {Distance23Field, ""}, {Speed1Field, "0"},
     {PhiField, ""}, {RevolutionsLabel, "n rev  "}, {MaxCountField, "1000000"}, {CentreDistance1Field, "1"}},
    {{BodyCountLabel, 400}, {RevolutionsLabel, 880}, {Mass3Label, 1360}, {Speed3Label, 2320}, {CentreDistance1Label, 3760}, {TimeStepUnitLabel, 4240}, {MassGain1Label, 1800},
     {PhiLabel, 1800}, {PhiField, 1800}, {AngleMinField, 5160}}};

const CountState kCycle[] = {
    {2, {GridButton, Mass3Label, Mass3Field, Distance13Field, Distance23Field, Distance13Label, Distance23Label, MinDistance12Field, MinDistance13Field, MinDistance23Field, CentreDistance3Field, CentreDistance3Label,
         AngleMinLabel, AngleMinField, AngleMaxLabel, AngleMaxField, AngleStepLabel, AngleStepField, MinDistanceLabel, Speed3Field, Speed3Label},
     {{BodyCountField, " 2"}, {SpeedRatioField, ""}, {FrequencyField, " 33"}, {Distance12Field, ""}, {SavedRevolutionsField, " 7"}, {SavedTotalTimeField, " .5"}, {Mass1Field, "36"},
      {Mass2Field, "29"}, {Mass3Field, "5"}, {RevolutionsField, " 7"}, {TotalTimeField, " .5"}, {CentreDistance1Field, ""}, {MinDistance12Field, ""}},
     {{Mass3Label, 1360}, {AngleMinField, 5160}, {PhiField, 1800}}},
    {3, {GridButton, MassGain1Field, MassGain1Label, MassGain2Field, MassGain2Label, PhiLabel, PhiField},
     {{BodyCountField, " 3"}, {FrequencyField, " 33"}, {Distance12Field, ""}, {Mass1Field, "36"}, {Mass3Field, "5"}, {RevolutionsField, " 7"}},
     {{Mass3Label, 1320}, {Mass3Field, 1320}, {Mass1Label, 1360}, {AngleMinLabel, 1800}, {AngleStepField, 1800}, {PhiLabel, 1800}}},
    {1, kAfterLoad.hidden,
     {{BodyCountField, " 1"}, {SpeedRatioField, " 1"}, {FrequencyField, ""}, {Distance12Field, ""}, {Mass1Field, "10000"}, {Mass2Field, "0"}, {RevolutionsField, " 1"}},
     {{AngleMinLabel, 1800}}}};
// clang-format on

void expectState(const Harness& h, const CountState& state) {
  SCOPED_TRACE("count " + std::to_string(state.count));
  EXPECT_EQ(h.program.runState.bodyCount, state.count);
  for (const ControlDesign& d : controlTable())
    EXPECT_EQ(h.visible(d.id), !state.hidden.count(d.id)) << d.name;
  for (const auto& [id, text] : state.texts) EXPECT_EQ(h.text(id), text) << nameOf(id);
  for (const auto& [id, top] : state.tops) EXPECT_EQ(h.program.panel.top(id), top) << nameOf(id);
  EXPECT_EQ(h.program.runState.setupChanged, 1);  // through the write into "n rev"
  EXPECT_EQ(h.program.runState.savedMass1, state.count == 1 ? 10000 : 36);
  EXPECT_EQ(h.program.runState.timeLimit, state.count == 1 ? 0 : 0.5);
}

// Before each click a distance stands in the orbit fields: the write of "v/c" (one black hole) or
// "Frequency" (more) runs its handler inside the set-up, which empties it again.
TEST(StartUp, LoadsForOneBlackHoleAndEachClickOnTheCountStepsItsSetUp) {
  Harness h;
  expectState(h, kAfterLoad);
  for (const CountState& state : kCycle) {
    h.program.runState.editsEnabled = false;
    h.program.panel.setText(Distance12Field, "5");
    h.program.runState.editsEnabled = true;
    h.program.runState.setupChanged = false;
    h.click(BodyCountField);
    expectState(h, state);
  }
}

TEST(StartUp, TheCountComesFromTheFieldAndTypedCountsGoUpByOne) {
  ScriptedPlatform platform;
  Program program(platform);
  program.panel.setText(BodyCountField, "2");
  program.load();
  EXPECT_EQ(program.runState.bodyCount, 2);
  EXPECT_EQ(program.text(BodyCountField), "2");
  for (const auto& [typed, next] : {std::pair{"7", " 8"}, {"0", " 1"}, {"x", " 1"}, {"3", " 1"}}) {
    program.panel.userEdit(BodyCountField, typed);
    program.panel.userClick(BodyCountField);
    EXPECT_EQ(program.text(BodyCountField), next) << typed;
  }
  program.runState.editsEnabled = false;
  program.panel.userClick(BodyCountField);
  EXPECT_EQ(program.text(BodyCountField), " 1");
}

TEST(FieldHandlers, APositiveOrbitValueEmptiesTheOtherTwoWhileEditsAreEnabled) {
  const struct {
    ControlId field;
    const char* typed;
    double bodyCount;
    bool clears;
  } cases[] = {{FrequencyField, "50", 2, true},   {FrequencyField, "0", 2, false},
               {FrequencyField, "-1", 2, false},  {FrequencyField, "1e-3", 2, true},
               {FrequencyField, "abc", 2, false}, {Distance12Field, "7km", 2, true},
               {Distance12Field, "0", 2, false},  {SpeedRatioField, ".5", 1, true},
               {SpeedRatioField, "5", 3, true},   {SpeedRatioField, "5", 0, false},
               {SpeedRatioField, "5", 4, false},  {SpeedRatioField, "5", 2.5, false},
               {SpeedRatioField, "-1", 2, false}, {Mass1Field, "20", 1, true},
               {Mass1Field, "0", 1, false},       {Mass1Field, "20", 2, false}};
  for (const auto& c : cases) {
    for (int enabled : {1, 0}) {
      Harness h;
      h.program.runState.editsEnabled = false;
      for (ControlId id : {Distance12Field, FrequencyField, SpeedRatioField})
        h.program.panel.setText(id, "11");
      h.program.runState.editsEnabled = static_cast<std::int16_t>(enabled);
      h.program.runState.bodyCount = c.bodyCount;
      h.program.runState.setupChanged = false;
      h.type(c.field, c.typed);
      const std::string trace = nameOf(c.field) + "=" + c.typed + " nBH " + std::to_string(c.bodyCount);
      for (ControlId other : {Distance12Field, FrequencyField, SpeedRatioField}) {
        if (other == c.field) continue;
        const bool cleared = enabled && c.clears && !(c.field == Mass1Field && other == SpeedRatioField);
        EXPECT_EQ(h.text(other), cleared ? "" : "11") << trace << " " << nameOf(other);
      }
      EXPECT_EQ(h.program.runState.setupChanged, 0) << trace;
    }
  }
}

TEST(FieldHandlers, RunParametersTypedAndSetUpFieldsClickedTellTheRun) {
  const std::set<ControlId> typedSets = {AngleMaxField, AngleMinField, MaxCountField, RevolutionsField};
  const std::set<ControlId> clickedSets = {Mass1Field,     Mass2Field,     Mass3Field,     Distance12Field,
                                           MassGain1Field, MassGain2Field, FrequencyField, SpeedRatioField};
  for (const ControlDesign& d : controlTable()) {
    if (d.kind != ControlKind::TextField || d.id == BodyCountField) continue;
    for (int enabled : {0, 1}) {
      Harness h;
      h.configure(3);
      for (ControlId id : {MassGain1Field, MassGain2Field}) h.program.panel.setVisible(id, true);
      h.program.runState.editsEnabled = static_cast<std::int16_t>(enabled);
      h.program.runState.setupChanged = false;
      h.type(d.id, "77");
      EXPECT_EQ(h.program.runState.setupChanged, typedSets.count(d.id)) << "typed into " << d.name;
      h.program.runState.setupChanged = false;
      h.click(d.id);
      EXPECT_EQ(h.program.runState.setupChanged, clickedSets.count(d.id)) << "clicked " << d.name;
    }
  }
}

}  // namespace
}  // namespace bhsim::testing
