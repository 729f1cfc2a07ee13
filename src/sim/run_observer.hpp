#pragma once

#include <cstdint>

namespace bhsim {

// Watches a run from outside: every dot the integration loop draws, and the end of each configuration.
// Called only every 1000 steps or less often, never from the step itself.
class RunObserver {
 public:
  virtual ~RunObserver() = default;
  // A body's position relative to the centre of mass of black holes 1 and 2, world y upward; `body` is
  // 1 to 3 and `configuration` counts from 1.
  virtual void onDot(int configuration, std::int64_t step, int body, double x, double y) = 0;
  virtual void onConfigurationEnd(int configuration, std::int64_t steps) = 0;
};

}  // namespace bhsim
