#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "program/run_observer.hpp"
#include "sim/loop_state.hpp"

namespace bhsim {

class ControlPanel;
class Display;

// The text of `json`, indented by `indent` spaces a level (on one line for -1); bytes of a field's text
// that are not UTF-8 become U+FFFD.
std::string jsonText(const nlohmann::ordered_json& json, int indent = -1);

// The control window's state as JSON: {"fields": {name: text}, "captions": {name: caption}} with the 37
// text fields, and the 31 labels and 3 buttons.
nlohmann::ordered_json snapshotJson(const ControlPanel& panel);

// Writes the display's drawing area as a PNG, atomically; empty, or why it could not be written.
std::string writePng(const Display& display, const std::string& path);
// The same PNG's bytes; empty when there is no drawing area.
std::string pngData(const Display& display);

// Writes every plotted dot as a CSV row: configuration,step,body,x_km,y_km (the header first).
class TraceWriter : public RunObserver {
 public:
  explicit TraceWriter(std::ostream& out);
  void onDot(int configuration, std::int64_t step, int body, double x, double y) override;

 private:
  std::ostream& out_;
};

// Writes every strain sample as a CSV row: configuration,t_s,h_plus,h_cross (the header first).
class StrainWriter : public RunObserver {
 public:
  explicit StrainWriter(std::ostream& out);
  void onStrainSample(int configuration, const StrainSample& sample) override;

 private:
  std::ostream& out_;
};

// Keeps, for the JSON, each configuration's remnant under the table's names: {"configuration": n,
// "remnant_msun": ..., "remnant_spin": ..., "kick_kms": ...}, the three null where there was no merger.
class RemnantList : public RunObserver {
 public:
  void onConfigurationEnd(int configuration, const LoopState& state, bool stopped) override;
  const nlohmann::ordered_json& list() const { return list_; }

 private:
  nlohmann::ordered_json list_ = nlohmann::ordered_json::array();
};

// Passes every call on to each of several observers, in order.
class ObserverFan : public RunObserver {
 public:
  void add(RunObserver* observer) { observers_.push_back(observer); }
  bool empty() const { return observers_.empty(); }
  void onConfigurationStart(int configuration, double angle, const LoopState& state) override;
  void onRevolution(int configuration, const LoopState& state) override;
  void onDot(int configuration, std::int64_t step, int body, double x, double y) override;
  void onStrainSample(int configuration, const StrainSample& sample) override;
  void onConfigurationEnd(int configuration, const LoopState& state, bool stopped) override;

 private:
  std::vector<RunObserver*> observers_;
};

}  // namespace bhsim
