#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "control/control_table.hpp"
#include "display/palette.hpp"
#include "program/run_observer.hpp"
#include "sim/loop_state.hpp"

namespace bhsim {

// One configuration integrated elsewhere (another thread), with everything its integration left behind:
// the final state, the field texts it wrote, the display it drew and what it told its observer.
struct ConfigurationRecord {
  struct Dot {
    std::int64_t step;
    int body;
    double x, y;
  };
  // The observer's calls in their order: a revolution (with its state), a dot or a strain sample.
  struct Event {
    enum class Kind : unsigned char { Revolution, Dot, StrainSample };
    Kind kind;
    std::size_t index;  // into revolutions, dots or samples
  };

  LoopState finalState;
  bool stopped = false;
  std::vector<std::pair<ControlId, std::string>> fields;  // final texts, in the order of their last write
  std::vector<Colour> canvas;                             // the drawing area at the end
  std::vector<LoopState> revolutions;
  std::vector<Dot> dots;
  std::vector<StrainSample> samples;
  std::vector<Event> events;
};

// Hands the run configurations integrated elsewhere, by their number (from 0).
class ConfigurationSource {
 public:
  virtual ~ConfigurationSource() = default;
  // Waits until configuration `k` is done; nullptr when the run is to integrate it itself.
  virtual const ConfigurationRecord* take(std::int64_t k) = 0;
};

}  // namespace bhsim
