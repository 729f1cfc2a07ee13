// The Python module bhsim: runs and grids as the batch mode makes them, and the physics kernel, with
// numpy arrays for what they give.

#include <pybind11/pybind11.h>

#include <string>

#include "bhsim_version.hpp"
#include "python/bindings.hpp"
#include "python/errors.hpp"
#include "sim/gravity_model.hpp"

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
  pybind11::dict models;  // each model's command-line name and its help, as --batch --help lists them
  for (const bhsim::GravityModelRow& row : bhsim::kGravityModels) {
    std::string help(row.help);
    if (!row.shortName.empty()) help += " (also \"" + std::string(row.shortName) + "\")";
    models[pybind11::str(std::string(row.name))] = help;
  }
  module.attr("GRAVITY_MODELS") = models;
  python::defineErrors(module);
  python::defineRun(module);
  python::defineGrid(module);
  python::defineKernel(module);
}
