// What happens to black hole 3 inside the loop: capture with the mass hand-over, and mergers.
#include <gtest/gtest.h>

#include "recorder.hpp"
#include "sim/constants.hpp"
#include "test_support.hpp"

namespace bhsim::testing {
namespace {

using enum ControlId;

// One three-black-hole configuration at `angle` degrees with 2000 steps a revolution.
LoopState runOneConfiguration(const char* angle,
                              const std::vector<std::pair<ControlId, const char*>>& fields) {
  Harness h;
  h.configure(3, {{Tmaxcount, "2000"}, {Talphamin, angle}, {Talphamax, angle}}, 100);
  for (const auto& [id, text] : fields) h.type(id, text);
  Recorder recorder;
  h.program.observer = &recorder;
  h.run();
  EXPECT_EQ(recorder.ends.size(), 1u);
  return recorder.ends.empty() ? LoopState{} : recorder.ends.back();
}

TEST(LoopEvents, ACapturedThirdBlackHoleHandsItsMassToTheNearerOneAndTheLoopGoesOn) {
  const LoopState s = runOneConfiguration("0", {});
  EXPECT_TRUE(s.captured);
  EXPECT_EQ(s.nstars, 2);
  EXPECT_EQ(s.reason, EndReason::Revolutions);  // the capture itself did not end the configuration
  EXPECT_EQ(s.nrevcnt, 7);
  EXPECT_EQ(s.m2, 5 * GM);  // never changed
  // a fifth of m2 per 2000 steps until all of it has gone over, the last portion at most one too many
  EXPECT_DOUBLE_EQ(s.dmu0, (0.2 * (5 * GM)) / 2000);
  EXPECT_GE(s.dmsum0, s.m2);
  EXPECT_LT(s.dmsum0, s.m2 + s.dmu0);
  EXPECT_DOUBLE_EQ(s.m0, 36 * GM + s.dmsum0);
  EXPECT_EQ(s.m1, 29 * GM);
  EXPECT_EQ(s.dmsum1, 0);
}

TEST(LoopEvents, AThirdBlackHoleWithinOneKilometreMergesAndEndsTheConfiguration) {
  const std::vector<std::pair<ControlId, const char*>> light = {
      {TBH1, ".01"}, {TBH2, ".01"}, {TBH3, ".01"}, {Ttotaltime, "0"}};
  struct Case {
    const char* angle;
    EndReason reason;
  } cases[] = {{"10", EndReason::Merger13}, {"30", EndReason::Merger23}};
  for (const Case& c : cases) {
    const LoopState s = runOneConfiguration(c.angle, light);
    EXPECT_EQ(s.reason, c.reason) << c.angle;
    EXPECT_FALSE(s.captured);
    EXPECT_EQ(s.nstars, 2);
    if (c.reason == EndReason::Merger13) {
      EXPECT_LT(s.dist02, 1);
      EXPECT_EQ(s.m0, 0.01 * GM + 0.01 * GM);
      EXPECT_EQ(s.m1, 0.01 * GM);
    } else {
      EXPECT_LT(s.dist12, 1);
      EXPECT_EQ(s.m1, 0.01 * GM + 0.01 * GM);
      EXPECT_EQ(s.m0, 0.01 * GM);
    }
  }
}

}  // namespace
}  // namespace bhsim::testing
