#include <pybind11/numpy.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "batch/table.hpp"
#include "python/arguments.hpp"
#include "python/bindings.hpp"
#include "python/errors.hpp"
#include "python/interrupt_hook.hpp"
#include "python/simulation.hpp"
#include "sim/constants.hpp"

namespace bhsim::python {
namespace {

using namespace pybind11::literals;

// Steps between two looks at Ctrl-C within one call (a millisecond or two of steps).
constexpr std::int64_t kStepsBetweenLooks = 1 << 16;

// An array of the given shape of finite numbers from any array-like; ValueError naming it otherwise.
py::array_t<double> finiteArray(py::handle value, const char* name, py::ssize_t rows, py::ssize_t columns) {
  const py::array_t<double> array =
      py::module_::import("numpy").attr("asarray")(value, "dtype"_a = "float64");
  const bool shaped = columns == 0 ? array.ndim() == 1 && array.shape(0) == rows
                                   : array.ndim() == 2 && array.shape(0) == rows && array.shape(1) == columns;
  if (!shaped) {
    throw py::value_error(std::string(name) + " must have " + std::to_string(rows) +
                          (columns == 0 ? " numbers" : " rows of " + std::to_string(columns) + " numbers") +
                          ", one for each body");
  }
  const double* data = array.data();
  for (py::ssize_t i = 0; i < array.size(); ++i) {
    if (!std::isfinite(data[i])) throw py::value_error(std::string(name) + " must be finite numbers");
  }
  return array;
}

// The Python face of a Simulation: it runs without the GIL, in one thread at a time.
class PySimulation {
 public:
  PySimulation(py::handle masses, py::handle positions, py::handle velocities, py::handle dt,
               py::handle gravity)
      : model_(gravity.is_none() ? GravityModel::Newtonian : gravityModel(gravity, "gravity")) {
    const py::ssize_t count = py::len(masses);
    if (count < 2 || count > 3)
      throw py::value_error("masses must give two or three bodies (a body of mass 0 is a test body)");
    const auto m = finiteArray(masses, "masses", count, 0);
    const auto x = finiteArray(positions, "positions", count, 2);
    const auto v = finiteArray(velocities, "velocities", count, 2);
    std::vector<Simulation::Start> bodies;
    for (py::ssize_t b = 0; b < count; ++b)
      bodies.push_back({kSolarGM * m.at(b), x.at(b, 0), x.at(b, 1), v.at(b, 0), v.at(b, 1)});
    simulation_ = std::make_unique<Simulation>(bodies, realNumber(dt, "dt", true), model_);
  }

  std::int64_t step(py::handle count) { return run(wholeNumber(count, "n", 0, INT64_MAX)); }

  std::int64_t integrateTo(py::handle time) {
    return run(simulation_->stepsTo(realNumber(time, "time", false)));
  }

  py::array_t<double> column(double BodyMotion::*x, double BodyMotion::*y) const {
    const BodyMotions motions = simulation_->motions();
    py::array_t<double> out({motions.count, 2});
    for (int b = 0; b < motions.count; ++b) {
      out.mutable_at(b, 0) = motions.bodies[static_cast<std::size_t>(b)].*x;
      out.mutable_at(b, 1) = motions.bodies[static_cast<std::size_t>(b)].*y;
    }
    return out;
  }

  py::array_t<double> masses() const {
    const BodyMotions motions = simulation_->motions();
    py::array_t<double> out(motions.count);
    for (int b = 0; b < motions.count; ++b)
      out.mutable_at(b) = motions.bodies[static_cast<std::size_t>(b)].m / kSolarGM;
    return out;
  }

  py::tuple strain(py::handle distance, py::handle inclination) const {
    using std::numbers::pi;
    const Detector detector{realNumber(distance, "distance_mpc", true) * kKmPerMpc,
                            realNumber(inclination, "inclination_deg", false) * pi / 180};
    const Strain h = simulation_->strain(detector);
    return py::make_tuple(h.plus, h.cross);
  }

  py::object endReason() const {
    const LoopState& s = simulation_->state();
    if (s.endCode == EndCode::Capture) return py::str("captured");
    if (s.endCode == EndCode::None) return py::none();
    return py::str(endReasonName(s.reason, false));
  }

  const Simulation& simulation() const { return *simulation_; }
  GravityModel model() const { return model_; }

 private:
  // Runs the steps without the GIL, looking at Ctrl-C between runs of steps.
  std::int64_t run(std::int64_t steps) {
    if (busy_.exchange(true)) throw py::value_error("this Simulation is stepping in another thread");
    InterruptHook hook;
    std::int64_t done = 0;
    {
      const py::gil_scoped_release release;
      while (done < steps && !simulation_->stopped() && hook.request()->check() == 0)
        done += simulation_->step(std::min(steps - done, kStepsBetweenLooks));
    }
    busy_ = false;
    if (hook.request()->check() != 0) raiseInterrupted(hook);
    return done;
  }

  GravityModel model_;
  std::unique_ptr<Simulation> simulation_;
  std::atomic<bool> busy_{false};
};

constexpr const char* kSimulationDoc = R"(Simulation(masses, positions, velocities, *, dt, gravity=None)

Two or three bodies (black holes 1, 2 and 3) of any masses (solar masses), positions (km) and velocities
(km/s) in the plane, stepped by the program's own step with a fixed time step dt (s) under a law of gravity
("newtonian" when None, or any model of the command line's --gravity: "1pn", "2.5pn", "merger", ...):
velocities first, then positions, with the program's events. A step ends the simulation where it would
end a configuration (end_reason: "merger12" for black holes 1 and 2 inside 6 G m / c^2 under a
post-Newtonian model, "merger13"/"merger23" where black hole 3 meets another, which takes its mass,
"light_speed" where black hole 1 or 2 moves faster than light, "coincidence" for black holes 1 and 2 at one
point) and where black hole 3 moves faster than light ("captured"). A body of mass 0 is a test body.

    sim = bhsim.Simulation([36, 29], [[-1000, 0], [1000, 0]], [[0, -32000], [0, 32000]], dt=1e-6,
                           gravity="2.5pn")
    sim.integrate_to(0.01); sim.positions, sim.energy, sim.strain(410))";

}  // namespace

void defineKernel(py::module_& module) {
  py::class_<PySimulation>(module, "Simulation", kSimulationDoc)
      .def(py::init<py::handle, py::handle, py::handle, py::handle, py::handle>(), py::arg("masses"),
           py::arg("positions"), py::arg("velocities"), py::kw_only(), py::arg("dt"),
           py::arg("gravity") = py::none(),
           "__init__(masses, positions, velocities, *, dt, gravity=None)\n\nmasses: two or three masses in "
           "solar "
           "masses; positions (km) and velocities (km/s): one row (x, y) per body; dt: the time step (s); "
           "gravity: "
           "a model's command-line name (None: Newtonian).")
      .def("step", &PySimulation::step, py::arg("n") = 1,
           "step(n=1) -> int\n\nRuns n steps in one call without the GIL and returns how many it ran: fewer "
           "where a step ended the simulation. Ctrl-C stops it within about a tenth of a second and raises "
           "KeyboardInterrupt, the bodies as the last step left them.")
      .def("integrate_to", &PySimulation::integrateTo, py::arg("time"),
           "integrate_to(time) -> int\n\nSteps up to the first step at or past `time` (s, counted from the "
           "start as steps x dt), as step(n) does; returns the steps it ran.")
      .def_property_readonly(
          "positions", [](const PySimulation& s) { return s.column(&BodyMotion::x, &BodyMotion::y); },
          "The bodies' positions (km), an array of one row (x, y) per body.")
      .def_property_readonly(
          "velocities", [](const PySimulation& s) { return s.column(&BodyMotion::vx, &BodyMotion::vy); },
          "The bodies' velocities (km/s), one row (vx, vy) per body.")
      .def_property_readonly(
          "accelerations", [](const PySimulation& s) { return s.column(&BodyMotion::ax, &BodyMotion::ay); },
          "The model's accelerations (km/s^2) at the bodies' positions and velocities now, one row per body "
          "(zero for a body out of play).")
      .def_property_readonly("masses", &PySimulation::masses,
                             "The bodies' masses (solar masses); a body that merged into another gave it its "
                             "mass.")
      .def_property_readonly(
          "energy", [](const PySimulation& s) { return s.simulation().energy() / kSolarGM; },
          "The energy the model's conservative terms keep, of the bodies in play, in solar masses x (km/s)^2 "
          "(Newton's kinetic and potential energy, with the post-Newtonian terms of the model; a radiating "
          "model loses it).")
      .def("strain", &PySimulation::strain, py::arg("distance_mpc") = 410, py::arg("inclination_deg") = 0,
           "strain(distance_mpc=410, inclination_deg=0) -> (h_plus, h_cross)\n\nThe strain of the bodies in "
           "play by the quadrupole formula, as --strain samples it, for an observer at that distance whose "
           "line of sight makes that angle with the orbit's normal.")
      .def_property_readonly(
          "time",
          [](const PySimulation& s) {
            return s.simulation().state().dt * static_cast<double>(s.simulation().state().stepCount);
          },
          "The simulated time (s), steps x dt.")
      .def_property_readonly(
          "steps", [](const PySimulation& s) { return s.simulation().state().stepCount; }, "The steps run.")
      .def_property_readonly(
          "dt", [](const PySimulation& s) { return s.simulation().state().dt; }, "The time step (s).")
      .def_property_readonly(
          "gravity", [](const PySimulation& s) { return std::string(gravityModelName(s.model())); },
          "The law of gravity, by its command-line name.")
      .def_property_readonly(
          "bodies_in_play",
          [](const PySimulation& s) { return static_cast<int>(s.simulation().state().bodiesInPlay); },
          "The bodies still integrated (black hole 3 leaves when it merges or is captured).")
      .def_property_readonly(
          "ended", [](const PySimulation& s) { return s.simulation().stopped(); },
          "Whether a step ended the simulation; then step() runs no more.")
      .def_property_readonly("end_reason", &PySimulation::endReason,
                             "What ended it (see the class's help), or None.")
      .def("__repr__", [](const PySimulation& s) {
        return "<bhsim.Simulation of " + std::to_string(s.simulation().bodyCount()) + " bodies under " +
               std::string(gravityModelName(s.model())) + ", " +
               std::to_string(s.simulation().state().stepCount) + " steps>";
      });
}

}  // namespace bhsim::python
