// A long run keeps constant memory: ten times the steps take no more memory than the first million.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "batch/batch_run.hpp"

namespace bhsim::testing {
namespace {

using enum ControlId;

// The peak resident memory of this process so far, in kB; -1 when the system does not tell.
long peakResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// Three black holes with no revolution count and no time limit: the first configuration runs until the
// step budget presses Stop.
std::int64_t endlessThreeBodyRun(std::int64_t steps) {
  BatchOptions options;
  options.bodyCount = 3;
  options.maxSteps = steps;
  options.refreshEvery = 10000;
  options.fields = {{Tnrev, "0"}, {Ttotaltime, "0"}};
  const BatchResult result = runBatch(options);
  EXPECT_EQ(result.status, 0) << result.refusal;
  EXPECT_EQ(result.configurations, 1);
  return result.steps;
}

TEST(LongRun, TenMillionStepsTakeNoMoreMemoryThanOneMillion) {
  EXPECT_GE(endlessThreeBodyRun(1000000), 1000000);
  const long afterOneMillion = peakResidentKb();
  ASSERT_GT(afterOneMillion, 0);
  EXPECT_GE(endlessThreeBodyRun(10000000), 10000000);
  const long afterTenMillion = peakResidentKb();
  std::printf("peak resident memory: %ld kB after 10^6 steps, %ld kB after 10^7\n", afterOneMillion,
              afterTenMillion);
#ifdef __SANITIZE_ADDRESS__
  // AddressSanitizer's own allocator keeps growing its bookkeeping slowly with every allocation; what
  // the run keeps is measured in the normal build.
  GTEST_SKIP() << "memory is measured without the sanitizers";
#endif
  // Nine million steps more leave 9000 plot steps, 27000 dots and 900 refreshes behind them: 16 bytes
  // kept for each dot would already show as 400 kB.
  EXPECT_LT(afterTenMillion - afterOneMillion, 256);
}

}  // namespace
}  // namespace bhsim::testing
