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
// The same for an adaptive integrator, whose steps take far more work each (about a microsecond).
constexpr std::int64_t kAdaptiveStepsBetweenLooks = 1 << 10;

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
               py::handle gravity, py::handle integratorName, py::handle tolerance)
      : model_(gravity.is_none() ? GravityModel::Newtonian : gravityModel(gravity, "gravity")),
        integrator_(integrator(integratorName, "integrator")) {
    const double errorPerStep =
        python::tolerance(tolerance, isAdaptive(integrator_)).value_or(kDefaultTolerance);
    const py::ssize_t count = py::len(masses);
    if (count < 2 || count > 3)
      throw py::value_error("masses must give two or three bodies (a body of mass 0 is a test body)");
    const auto m = finiteArray(masses, "masses", count, 0);
    const auto x = finiteArray(positions, "positions", count, 2);
    const auto v = finiteArray(velocities, "velocities", count, 2);
    std::vector<Simulation::Start> bodies;
    for (py::ssize_t b = 0; b < count; ++b)
      bodies.push_back({kSolarGM * m.at(b), x.at(b, 0), x.at(b, 1), v.at(b, 0), v.at(b, 1)});
    simulation_ =
        std::make_unique<Simulation>(bodies, realNumber(dt, "dt", true), model_, integrator_, errorPerStep);
  }

  std::int64_t step(py::handle count) {
    const std::int64_t steps = wholeNumber(count, "n", 0, INT64_MAX);
    return run(steps, [this](std::int64_t n) { return simulation_->step(n); });
  }

  std::int64_t integrateTo(py::handle time) {
    const double end = realNumber(time, "time", false);
    if (!simulation_->adaptive())
      return run(simulation_->stepsTo(end), [this](std::int64_t n) { return simulation_->step(n); });
    return run(INT64_MAX, [this, end](std::int64_t n) { return simulation_->stepToward(end, n); });
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
  Integrator integratorUsed() const { return integrator_; }

 private:
  // Runs the steps without the GIL, looking at Ctrl-C between runs of steps: `steps(n)` runs up to n and
  // returns how many it ran, fewer when it is done.
  template <class Steps>
  std::int64_t run(std::int64_t steps, Steps runSteps) {
    if (busy_.exchange(true)) throw py::value_error("this Simulation is stepping in another thread");
    InterruptHook hook;
    const std::int64_t between = simulation_->adaptive() ? kAdaptiveStepsBetweenLooks : kStepsBetweenLooks;
    std::int64_t done = 0;
    {
      const py::gil_scoped_release release;
      while (done < steps && !simulation_->stopped() && hook.request()->check() == 0) {
        const std::int64_t wanted = std::min(steps - done, between), ran = runSteps(wanted);
        done += ran;
        if (ran < wanted) break;
      }
    }
    busy_ = false;
    if (hook.request()->check() != 0) raiseInterrupted(hook);
    return done;
  }

  GravityModel model_;
  Integrator integrator_;
  std::unique_ptr<Simulation> simulation_;
  std::atomic<bool> busy_{false};
};

constexpr const char* kSimulationDoc =
    R"(Simulation(masses, positions, velocities, *, dt, gravity=None, integrator="euler", tolerance=None)

Two or three bodies (black holes 1, 2 and 3) of any masses (solar masses), positions (km) and velocities
(km/s) in the plane, advanced under a law of gravity ("newtonian" when None, or any model of the command
line's --gravity: "1pn", "2.5pn", "merger", ...) by one of the command line's integrators:
  "euler"  the program's own step, of fixed length dt (s): velocities first, then positions;
  "ias15"  15th-order Gauss-Radau steps of its own length, each keeping an error per step of `tolerance`
           (from 1e-10 to 1; None: 1e-9), dt being the first step it tries.
With the program's events: a step ends the simulation where it would end a configuration (end_reason:
"merger12" for black holes 1 and 2 inside 6 G m / c^2 under a post-Newtonian model, "merger13"/"merger23"
where black hole 3 meets another, which takes its mass, "light_speed" where black hole 1 or 2 moves faster
than light, "coincidence" for black holes 1 and 2 at one point) and where black hole 3 moves faster than
light ("captured"). Under "ias15" an event is found inside the step, which is cut where it happens, as
the program's adaptive loop does. A body of mass 0 is a test body.

    sim = bhsim.Simulation([36, 29], [[-1000, 0], [1000, 0]], [[0, -32000], [0, 32000]], dt=1e-6,
                           gravity="2.5pn")
    sim.integrate_to(0.01); sim.positions, sim.energy, sim.strain(410))";

}  // namespace

void defineKernel(py::module_& module) {
  py::class_<PySimulation>(module, "Simulation", kSimulationDoc)
      .def(py::init<py::handle, py::handle, py::handle, py::handle, py::handle, py::handle, py::handle>(),
           py::arg("masses"), py::arg("positions"), py::arg("velocities"), py::kw_only(), py::arg("dt"),
           py::arg("gravity") = py::none(), py::arg("integrator") = "euler",
           py::arg("tolerance") = py::none(),
           "__init__(masses, positions, velocities, *, dt, gravity=None, integrator=\"euler\", "
           "tolerance=None)\n\nmasses: two or three masses in solar masses; positions (km) and velocities "
           "(km/s): one row (x, y) per body; dt: the time step (s), under \"ias15\" the first it tries; "
           "gravity: a model's command-line name (None: Newtonian); integrator: \"euler\" or \"ias15\"; "
           "tolerance: the error per step of \"ias15\", from 1e-10 to 1 (None: 1e-9).")
      .def("step", &PySimulation::step, py::arg("n") = 1,
           "step(n=1) -> int\n\nRuns n steps (under \"ias15\", n steps of its own length) in one call "
           "without the GIL and returns how many it ran: fewer where a step ended the simulation. Ctrl-C "
           "stops it within about a tenth of a second and raises KeyboardInterrupt, the bodies as the last "
           "step left them.")
      .def("integrate_to", &PySimulation::integrateTo, py::arg("time"),
           "integrate_to(time) -> int\n\nUnder \"euler\", steps up to the first step at or past `time` (s, "
           "counted from the start as steps x dt); under \"ias15\", steps until `time` exactly, the step "
           "that would pass it cut to end on it (the next steps grow back from that one). Returns the steps "
           "it ran, as step(n) does; none when `time` is now or past.")
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
          "time", [](const PySimulation& s) { return s.simulation().time(); },
          "The simulated time (s): steps x dt under \"euler\", the sum of the steps under \"ias15\".")
      .def_property_readonly(
          "steps", [](const PySimulation& s) { return s.simulation().state().stepCount; }, "The steps run.")
      .def_property_readonly(
          "dt", [](const PySimulation& s) { return s.simulation().lastStep(); },
          "The time step (s); under \"ias15\", the last step taken, up to where an event or integrate_to "
          "cut it (dt as given before the first).")
      .def_property_readonly(
          "force_evaluations", [](const PySimulation& s) { return s.simulation().forceEvaluations(); },
          "The evaluations of the accelerations so far: one a step under \"euler\".")
      .def_property_readonly(
          "integrator", [](const PySimulation& s) { return std::string(integratorName(s.integratorUsed())); },
          "The integrator, by its command-line name.")
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
               std::string(gravityModelName(s.model())) + " with " +
               std::string(integratorName(s.integratorUsed())) + ", " +
               std::to_string(s.simulation().state().stepCount) + " steps>";
      });
}

}  // namespace bhsim::python
