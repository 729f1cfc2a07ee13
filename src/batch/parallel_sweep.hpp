#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "batch/interrupt.hpp"
#include "program/configuration_record.hpp"
#include "program/program.hpp"

namespace bhsim {

// Integrates the configurations of a run's angle sweep in worker threads, each on a program of its own that
// starts from the fields the run starts from, and hands them to the run in their order. The run replays them
// as if it had integrated them itself, so that everything it shows and writes stays the same.
class ParallelSweep : public ConfigurationSource {
 public:
  // `configurations`: how many the sweep builds. Workers stay at most a few configurations ahead of the
  // run. `stop`: what stops the run beside the process's signals (may be null).
  ParallelSweep(const Program& program, int jobs, std::int64_t configurations, StopRequest* stop = nullptr);
  ~ParallelSweep() override;
  ParallelSweep(const ParallelSweep&) = delete;
  ParallelSweep& operator=(const ParallelSweep&) = delete;

  const ConfigurationRecord* take(std::int64_t k) override;

  // How far the sweep got in all threads: the configurations finished, and the steps integrated, those
  // of configurations stopped part way included; `runSteps` is the run's own count (replays included).
  struct Tally {
    std::int64_t finished = 0, steps = 0;
  };
  Tally tally(std::int64_t runSteps);

  // Called about four times a second while the run waits for a configuration, with the configurations
  // finished so far and their steps.
  void onWait(std::function<void(std::int64_t finished, std::int64_t steps)> hook) {
    waitHook_ = std::move(hook);
  }

 private:
  void work();
  std::unique_ptr<ConfigurationRecord> integrate(std::int64_t k, std::int64_t& steps);

  // what every worker's program starts from
  std::vector<std::string> texts_;
  double bodyCount_;
  float width_, height_;
  RunOptions options_;

  std::int64_t configurations_;
  std::int64_t window_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::int64_t, std::unique_ptr<ConfigurationRecord>> done_;
  std::unique_ptr<ConfigurationRecord> current_;  // the one the run is replaying
  std::int64_t next_ = 0;                         // the next one a worker takes up
  std::int64_t wanted_ = 0;                       // the next one the run asks for
  std::int64_t finished_ = 0;
  std::int64_t finishedSteps_ = 0;
  std::int64_t abandonedSteps_ = 0;  // of configurations a worker stopped part way
  std::int64_t replayedSteps_ = 0;   // of the configurations handed to the run
  std::atomic<bool> stopping_{false};
  StopRequest* stop_;
  std::function<void(std::int64_t, std::int64_t)> waitHook_;
  std::vector<std::thread> workers_;
};

// How many configurations a sweep over `nalpha` builds: the counter goes up to the first whole number
// that reaches it.
std::int64_t sweepLength(double nalpha);

}  // namespace bhsim
