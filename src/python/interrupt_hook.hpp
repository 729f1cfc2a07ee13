#pragma once

// Ctrl-C while a run integrates without the GIL: Python's own handler only notes the signal, and the run
// asks Python at its pumps (PyErr_CheckSignals, with the GIL taken for that moment) whether a handler
// raised. The run then stops at that pump and the exception is raised when it has returned.

#include <pybind11/pybind11.h>

#include <chrono>
#include <memory>

#include "batch/interrupt.hpp"

namespace bhsim::python {

namespace py = pybind11;

class InterruptHook {
 public:
  // Made with the GIL held, on the thread that runs; only Python's main thread hears signals.
  InterruptHook();
  ~InterruptHook();
  InterruptHook(const InterruptHook&) = delete;
  InterruptHook& operator=(const InterruptHook&) = delete;

  // What the run checks at its pumps.
  StopRequest* request() { return &request_; }
  // With the GIL held again after the run: raises what a signal handler raised during it.
  void raiseIfCaught();

 private:
  int poll();

  bool mainThread_;
  std::chrono::steady_clock::time_point nextPoll_;
  PyObject* type_ = nullptr;
  PyObject* value_ = nullptr;
  PyObject* traceback_ = nullptr;
  StopRequest request_;
};

}  // namespace bhsim::python
