#include "python/errors.hpp"

#include <sstream>

#include "python/interrupt_hook.hpp"

namespace bhsim::python {
namespace {

PyObject* refusedType = nullptr;

}  // namespace

void defineErrors(py::module_& module) {
  refusedType =
      PyErr_NewExceptionWithDoc("bhsim.Refused",
                                "The program refused the run before integrating, as its windows would (a "
                                "division by zero, no orbit, a run "
                                "that nothing would end, ...). The message is the program's reason.",
                                PyExc_Exception, nullptr);
  if (refusedType == nullptr) throw py::error_already_set();
  module.add_object("Refused", py::handle(refusedType));
}

void raiseRefused(const std::string& reason) {
  PyErr_SetString(refusedType, reason.c_str());
  throw py::error_already_set();
}

void warnEachLine(const std::string& text) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (PyErr_WarnEx(PyExc_RuntimeWarning, line.c_str(), 2) != 0) throw py::error_already_set();
  }
}

void raiseInterrupted(InterruptHook& hook) {
  hook.raiseIfCaught();
  PyErr_SetNone(PyExc_KeyboardInterrupt);
  throw py::error_already_set();
}

}  // namespace bhsim::python
