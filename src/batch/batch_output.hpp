#pragma once

#include <cstdint>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "sim/run_observer.hpp"

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

}  // namespace bhsim
