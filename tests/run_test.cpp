#include <gtest/gtest.h>

#include "test_support.hpp"

namespace bhsim::testing {
namespace {

using enum ControlId;

TEST(RunSmoke, DefaultTwoBodyRunGoesThroughContAndNext) {
  Harness h;
  h.setBodyCount(2);
  h.program.options.refreshEvery = 1000;
  h.answerContAndNext();
  std::string atNext;
  h.platform.when([&] { return h.text(CommandStart) == "Next"; },
                  [&] {
                    atNext = h.text(Tnrev) + "|" + h.text(TBH1) + "|" + h.text(Ttotaltime);
                    h.click(CommandStart);
                  });
  h.click(CommandStart);
  EXPECT_FALSE(h.platform.stalled);
  EXPECT_EQ(h.text(CommandStart), "Start");
  EXPECT_EQ(h.program.module.totalSteps, 0) << atNext;
}

}  // namespace
}  // namespace bhsim::testing
