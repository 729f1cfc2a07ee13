#include "python/interrupt_hook.hpp"

#include <signal.h>

namespace bhsim::python {
namespace {

// How often a run takes the GIL to ask: often enough to answer Ctrl-C at once to a person, rare enough that
// a run beside busy Python threads (which may hold the GIL for the interpreter's 5 ms switch interval)
// waits for it at most a few per cent of its time.
constexpr std::chrono::milliseconds kPollInterval{100};

bool onMainThread() {
  const py::module_ threading = py::module_::import("threading");
  const py::object mainIdent = threading.attr("main_thread")().attr("ident");
  return mainIdent.equal(threading.attr("get_ident")());
}

}  // namespace

InterruptHook::InterruptHook()
    : mainThread_(onMainThread()),
      nextPoll_(std::chrono::steady_clock::now() + kPollInterval),
      request_([this] { return poll(); }) {}

InterruptHook::~InterruptHook() {
  Py_XDECREF(type_);
  Py_XDECREF(value_);
  Py_XDECREF(traceback_);
}

int InterruptHook::poll() {
  if (!mainThread_ || type_ != nullptr) return 0;
  const auto now = std::chrono::steady_clock::now();
  if (now < nextPoll_) return 0;
  nextPoll_ = now + kPollInterval;
  const py::gil_scoped_acquire gil;
  if (PyErr_CheckSignals() == 0) return 0;
  PyErr_Fetch(&type_, &value_, &traceback_);
  return SIGINT;
}

void InterruptHook::raiseIfCaught() {
  if (type_ == nullptr) return;
  PyErr_Restore(type_, value_, traceback_);
  type_ = value_ = traceback_ = nullptr;
  throw py::error_already_set();
}

}  // namespace bhsim::python
