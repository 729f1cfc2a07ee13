// The Python module bhsim: runs and grids as the batch mode makes them, and the physics kernel, with
// numpy arrays for what they give.

#include <pybind11/pybind11.h>

#include "bhsim_version.hpp"
#include "python/bindings.hpp"
#include "python/errors.hpp"

PYBIND11_MODULE(bhsim, module) {
  namespace python = bhsim::python;
  pybind11::options options;
  options.disable_function_signatures();
  module.doc() =
      "bhsim: one to three black holes orbiting in a plane, from Python.\n\n"
      "run() makes one run as `bhsim --batch` does and grid() a grid of runs, with the command line's values "
      "bit for bit; Simulation integrates bodies of any masses, positions and velocities with the program's "
      "gravity models.";
  module.attr("__version__") = bhsim::kBhsimVersion;
  python::defineErrors(module);
  python::defineRun(module);
  python::defineGrid(module);
  python::defineKernel(module);
}
