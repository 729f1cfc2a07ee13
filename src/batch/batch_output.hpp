#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
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

// Writes the display's drawing area as a PNG, atomically; false when it cannot be written.
bool writePng(const Display& display, const std::string& path);

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

// The table's column names, comma-separated, without a line end.
extern const char* const kTableHeader;
// The columns a table under a post-Newtonian model has after those: the remnant of a merger of black
// holes 1 and 2 (its mass in solar masses, its spin, its recoil in km/s), with their leading comma.
extern const char* const kRemnantColumns;
// Whether the table of a run under `gravity` has them: under any model but Newton's.
bool hasRemnantColumns(std::optional<GravityModel> gravity);

// Writes one CSV row per configuration: its angle, steps, simulated time, why it ended, the bodies left,
// the masses, the minimum distances, the largest speeds, its revolutions and the relative change of the
// energy, at full precision; with `remnantColumns` the remnant, empty where black holes 1 and 2 did not
// merge. Each row starts with `prefix` (a grid point's columns).
class TableWriter : public RunObserver {
 public:
  explicit TableWriter(std::ostream& out, std::string prefix = "", bool remnantColumns = false);
  void onConfigurationStart(int configuration, double angle, const LoopState& state) override;
  void onConfigurationEnd(int configuration, const LoopState& state, bool stopped) override;

 private:
  std::ostream& out_;
  std::string prefix_;
  bool remnantColumns_;
  double angle_ = 0;
  LoopState start_;
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

// The name of what ended a configuration, as the table writes it.
const char* endReasonName(EndReason reason, bool stopped);

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
