#pragma once

#include <cstdint>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "batch/batch_options.hpp"
#include "batch/table.hpp"

namespace bhsim {

// Whether an output of a run was written, or why not.
struct OutputOutcome {
  bool written = false;
  std::string error;  // the system's words; empty where it was written or never tried
};

// What one batch run produced.
struct BatchResult {
  int status = 0;                  // 0 went through, 1 refused
  std::string refusal;             // why, when refused
  nlohmann::ordered_json endWait;  // null when the run never reached the end wait
  nlohmann::ordered_json idle;
  std::int64_t configurations = 0;
  std::int64_t steps = 0;
  std::string gravity;  // the model's name when one was given, for the JSON
  // the integrator's name when one was given, its tolerance when adaptive (0 otherwise) and its work, the
  // evaluations of the accelerations (one a step for the fixed step)
  std::string integrator;
  double tolerance = 0;
  std::int64_t forceEvaluations = 0;
  OutputOutcome png, trace, table, strainFile;
  std::string pngBytes;  // the picture as PNG, when RunTaps::picture asked for it
  int interrupted = 0;   // the signal (SIGINT, SIGTERM) that stopped the run; then nothing is written
  std::string progress;  // how far an interrupted run got
  nlohmann::ordered_json strain;  // how the strain was sampled; null without --strain
  // under a post-Newtonian model, each configuration's remnant (RemnantList); null otherwise
  nlohmann::ordered_json remnants;
};

// The JSON of a run: the snapshots at the end wait and after the run, the configurations and steps, with
// --integrator the integrator, its tolerance and its evaluations of the accelerations, with --strain how
// it was sampled under "strain", under a post-Newtonian model each configuration's remnant
// under "remnant", and for a refused run the reason under "refused".
nlohmann::ordered_json resultJson(const BatchResult& result);

// Where the table rows of a run go when they are part of a larger table (a grid point's): each row
// starts with `prefix` and has the larger table's columns, and no header is written.
struct TableSink {
  std::ostream* out = nullptr;
  std::string prefix;
  TableLayout layout;
};

// What a run hands its caller directly, beside the files the options name (a grid point's rows, or the
// outputs of a program that keeps them in memory).
struct RunTaps {
  TableSink table;
  // Sees every dot and configuration and, with `strain`, every strain sample (as --strain samples them)
  RunObserver* observer = nullptr;
  bool strain = false;
  bool picture = false;              // the display at the end wait as PNG in BatchResult::pngBytes
  std::ostream* notes = &std::cerr;  // where a note on how the run samples goes
};

// Runs the program headless as the options say: start-up, body count, fields, then Start, Cont and Next.
// The trace, table and PNG files are written as the options say (each only when the run went through);
// the JSON is left to the caller.
BatchResult runBatch(const BatchOptions& options, const RunTaps& taps = {});

}  // namespace bhsim
