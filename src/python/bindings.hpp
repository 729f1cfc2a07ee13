#pragma once

#include <pybind11/pybind11.h>

namespace bhsim::python {

namespace py = pybind11;

// The parts of the module: bhsim.run and its result, bhsim.grid, and the kernel's Simulation.
void defineRun(py::module_& module);
void defineGrid(py::module_& module);
void defineKernel(py::module_& module);

}  // namespace bhsim::python
