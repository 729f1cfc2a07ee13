#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "batch/batch_options.hpp"

namespace bhsim {

// What one batch run produced.
struct BatchResult {
  int status = 0;                  // 0 went through, 1 refused
  std::string refusal;             // why, when refused
  nlohmann::ordered_json endWait;  // null when the run never reached the end wait
  nlohmann::ordered_json idle;
  std::int64_t configurations = 0;
  std::int64_t steps = 0;
  bool pngWritten = false;
  bool traceWritten = false;
  bool tableWritten = false;
};

// Runs the program headless as the options say: start-up, body count, fields, then Start, Cont and Next.
BatchResult runBatch(const BatchOptions& options);

}  // namespace bhsim
