#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/scripted_platform.hpp"
#include "program/program.hpp"

namespace bhsim {

// The state a real configuration starts from: the set-up the program builds for `bodies` black holes
// with the given fields typed over the defaults.
inline LoopState startingState(int bodies, const std::vector<std::pair<ControlId, std::string>>& typed = {}) {
  struct Grab : RunObserver {
    void onConfigurationStart(int, double, const LoopState& s) override { state = s; }
    LoopState state;
  } grab;
  ScriptedPlatform platform;
  Program program(platform);
  program.load();
  for (int n = 1; n < bodies; ++n) program.panel.userClick(ControlId::BodyCountField);
  for (const auto& [field, text] : typed) program.panel.userEdit(field, text);
  program.observer = &grab;
  platform.when([&] { return program.runState.phase == RunPhase::Paused; },
                [&] { program.panel.userClick(ControlId::StartButton); });
  platform.when([&] { return program.runState.totalSteps > 0; },
                [&] { program.panel.userClick(ControlId::EndButton); });
  platform.when([&] { return program.runState.phase == RunPhase::EndWait; },
                [&] { program.panel.userClick(ControlId::StartButton); });
  program.options.refreshEvery = 1000;
  program.panel.userClick(ControlId::StartButton);
  return grab.state;
}

}  // namespace bhsim
