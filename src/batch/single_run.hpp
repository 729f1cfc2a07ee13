#pragma once

#include "batch/batch_options.hpp"

namespace bhsim {

// One run as the command line asks for it: the run, its JSON (a file, or "-" for standard output), and
// one line on standard error for a refused or interrupted run and for each output that could not be
// written. Returns the exit status: 0 the run went through, 1 it was refused, 3 an output could not be
// written, 128 + the signal for an interrupted run.
int runSingle(const BatchOptions& options);

}  // namespace bhsim
