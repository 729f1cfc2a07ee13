#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.hpp"

namespace bhsim {

// A headless platform driven by a script of user actions, for the batch mode and the tests.
//
// Each rule has a condition and an action; at every pump (and every wait) the first rule whose condition
// holds runs its action once and is removed. A wait in which no rule fires cannot be answered by anyone,
// so it records a stall and ends the program instead of blocking.
class ScriptedPlatform : public Platform {
 public:
  using Condition = std::function<bool()>;
  using Action = std::function<void()>;

  void when(Condition condition, Action action) {
    rules_.push_back({std::move(condition), std::move(action)});
  }
  // Runs `action` at every pump and wait from now on (it stays in the script).
  void always(Action action) { hooks_.push_back(std::move(action)); }
  // Sets what the clock reads; with `step`, every reading advances it by that much afterwards. Like a
  // real clock of the time of day it starts again from 0 at midnight (86400 s).
  void setClock(double seconds, double step = 0) {
    clock_ = seconds;
    clockStep_ = step;
  }
  // What the scripted clock reads next.
  double clock() const { return clock_; }
  void pumpEvents() override;
  void waitEvents() override;
  double secondsSinceMidnight() override;
  void reportRefusal(const std::string& message) override { refusals.push_back(message); }

  std::int64_t pumps = 0;
  std::int64_t waits = 0;
  std::int64_t clockReads = 0;
  bool stalled = false;
  std::vector<std::string> refusals;

 protected:
  void onEndProgram() override {}

 private:
  struct Rule {
    Condition condition;
    Action action;
  };
  bool runOneRule();

  std::vector<Rule> rules_;
  std::vector<Action> hooks_;
  double clock_ = 0;
  double clockStep_ = 0;
};

}  // namespace bhsim
