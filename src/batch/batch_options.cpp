#include "batch/batch_options.hpp"

#include <algorithm>
#include <thread>

namespace bhsim {

int threadCount(int jobs) {
  if (jobs > 0) return jobs;
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

}  // namespace bhsim
