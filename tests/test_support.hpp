#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

#include "program/program.hpp"
#include "platform/scripted_platform.hpp"

namespace bhsim::testing {

// A freshly loaded program on a scripted platform, with the user's actions at hand.
struct Harness {
  Harness();

  const std::string& text(ControlId id) const { return program.form1.text(id); }
  bool visible(ControlId id) const { return program.form1.visible(id); }
  void type(ControlId id, const std::string& text) { program.form1.userEdit(id, text); }
  void click(ControlId id) { program.form1.userClick(id); }
  // Clicks "# BH" until the program has `count` black holes.
  void setBodyCount(int count);
  // Sets the body count, types the fields, and refreshes the fields every `refreshEvery` steps.
  void configure(int bodies, std::initializer_list<std::pair<ControlId, const char*>> fields,
                 std::int64_t refreshEvery);
  // Presses "Start" and answers "Cont" and "Next": one whole run.
  void run();

  // Script: when `button` reads `caption` at a pump or wait, run `action` (once).
  void onCaption(ControlId button, const std::string& caption, std::function<void()> action);
  // Script: answer the pause with "Cont" and the end wait with "Next".
  void answerContAndNext();

  ScriptedPlatform platform;
  Program program{platform};
};

}  // namespace bhsim::testing
