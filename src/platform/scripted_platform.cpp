#include "platform/scripted_platform.hpp"

namespace bhsim {

bool ScriptedPlatform::runOneRule() {
  for (Action& hook : hooks_) hook();
  for (auto it = rules_.begin(); it != rules_.end(); ++it) {
    if (it->condition()) {
      Action action = std::move(it->action);
      rules_.erase(it);
      action();
      return true;
    }
  }
  return false;
}

void ScriptedPlatform::pumpEvents() {
  ++pumps;
  runOneRule();
}

void ScriptedPlatform::waitEvents() {
  ++waits;
  if (ended()) return;
  if (!runOneRule() && !ended()) {
    stalled = true;
    endProgram();
  }
}

double ScriptedPlatform::secondsSinceMidnight() {
  ++clockReads;
  const double reading = clock_;
  clock_ += clockStep_;
  if (clock_ >= 86400) clock_ -= 86400;
  return reading;
}

}  // namespace bhsim
