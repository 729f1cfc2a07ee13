#pragma once

#include <cstdint>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "program/run_observer.hpp"
#include "sim/loop_state.hpp"

namespace bhsim {

class Form1;
class Form2;

// The control window's state as JSON: {"fields": {name: text}, "captions": {name: caption}} with the 37
// text fields, and the 31 labels and 3 buttons.
nlohmann::ordered_json snapshotJson(const Form1& form1);

// Writes the display's drawing area as a PNG; false when it cannot be written.
bool writePng(const Form2& form2, const std::string& path);

// Shortest text that reads back as the same double.
std::string roundTripText(double value);

// Writes every plotted dot as a CSV row: configuration,step,body,x_km,y_km.
class TraceWriter : public RunObserver {
 public:
  explicit TraceWriter(const std::string& path);
  bool good() const { return out_.good(); }
  void onDot(int configuration, std::int64_t step, int body, double x, double y) override;

 private:
  std::ofstream out_;
};

// Writes one CSV row per configuration: its angle, steps, simulated time, why it ended, the bodies left,
// the masses, the minimum distances, the largest speeds and its revolutions, at full precision.
class TableWriter : public RunObserver {
 public:
  explicit TableWriter(const std::string& path);
  bool good() const { return out_.good(); }
  void onConfigurationStart(int configuration, double angle, const LoopState& state) override;
  void onConfigurationEnd(int configuration, const LoopState& state, bool stopped) override;

 private:
  std::ofstream out_;
  double angle_ = 0;
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
  void onConfigurationEnd(int configuration, const LoopState& state, bool stopped) override;

 private:
  std::vector<RunObserver*> observers_;
};

}  // namespace bhsim
