#pragma once

#include <pybind11/pybind11.h>

#include <string>

namespace bhsim::python {

namespace py = pybind11;

// Adds bhsim.Refused to the module.
void defineErrors(py::module_& module);

// Raises bhsim.Refused with the program's reason.
[[noreturn]] void raiseRefused(const std::string& reason);

// Each line of what the program would say on standard error, as a RuntimeWarning.
void warnEachLine(const std::string& text);

// With the GIL held, after a run that a stop request ended: raises what the signal handler raised (a
// KeyboardInterrupt, as a rule), or KeyboardInterrupt where none is kept.
class InterruptHook;
[[noreturn]] void raiseInterrupted(InterruptHook& hook);

}  // namespace bhsim::python
