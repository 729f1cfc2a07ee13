#include <sstream>

#include "batch/batch_output.hpp"
#include "batch/batch_run.hpp"
#include "python/arguments.hpp"
#include "python/bindings.hpp"
#include "python/errors.hpp"
#include "python/interrupt_hook.hpp"
#include "python/tables.hpp"

namespace bhsim::python {
namespace {

// What bhsim.run returns.
struct RunResult {
  py::object fields, captions, table, trace, strain, json, png;
  std::int64_t configurations = 0, steps = 0;
};

bool flag(py::handle value, const char* name) {
  if (!py::isinstance<py::bool_>(value))
    throw py::type_error(std::string(name) + " must be True or False, not " +
                         py::repr(value).cast<std::string>());
  return value.cast<bool>();
}

// How the observer of the strain is set: each option only with strain=True, as on the command line.
void strainObserver(BatchOptions& options, bool strain, py::handle rate, py::handle distance,
                    py::handle inclination) {
  const std::pair<py::handle, const char*> given[] = {
      {rate, "strain_rate"}, {distance, "distance_mpc"}, {inclination, "inclination_deg"}};
  for (const auto& [value, name] : given) {
    if (!value.is_none() && !strain)
      throw py::value_error(std::string(name) + " sets how the strain is recorded: it needs strain=True");
  }
  if (!rate.is_none()) options.strainRate = realNumber(rate, "strain_rate", true);
  if (options.strainRate > kMaxStrainRate) throw py::value_error("strain_rate must be at most 1000000 (Hz)");
  if (!distance.is_none()) options.distanceMpc = realNumber(distance, "distance_mpc", true);
  if (!inclination.is_none()) options.inclinationDeg = realNumber(inclination, "inclination_deg", false);
}

py::object run(py::handle bh, py::handle fields, py::handle gravity, py::handle integratorName,
               py::handle tolerance, py::handle refreshEvery, py::handle maxSteps, py::handle trace,
               py::handle png, py::handle strain, py::handle strainRate, py::handle distanceMpc,
               py::handle inclinationDeg, py::handle jobs, py::handle progress) {
  BatchOptions options;
  options.bodyCount = static_cast<int>(wholeNumber(bh, "bh", 1, 3));
  options.fields = fieldSettings(fields);
  if (!gravity.is_none()) options.gravity = gravityModel(gravity, "gravity");
  if (!integratorName.is_none()) options.integrator = integrator(integratorName, "integrator");
  options.tolerance = python::tolerance(tolerance, options.integrator && isAdaptive(*options.integrator));
  options.refreshEvery = optionalWholeNumber(refreshEvery, "refresh_every", 1, INT64_MAX).value_or(0);
  options.maxSteps = optionalWholeNumber(maxSteps, "max_steps", 0, INT64_MAX);
  options.jobs = static_cast<int>(optionalWholeNumber(jobs, "jobs", 1, kMaxJobs).value_or(0));
  options.quiet = !flag(progress, "progress");
  const bool wantStrain = flag(strain, "strain");
  strainObserver(options, wantStrain, strainRate, distanceMpc, inclinationDeg);

  const TableLayout layout = tableLayout(tableScopeOf(options.gravity));
  std::ostringstream rows;
  TraceRecorder traceRecorder;
  StrainRecorder strainRecorder;
  ObserverFan observers;
  const bool wantTrace = flag(trace, "trace");
  if (wantTrace) observers.add(&traceRecorder);
  if (wantStrain) observers.add(&strainRecorder);
  std::ostringstream notes;
  const RunTaps taps{{&rows, "", layout}, &observers, wantStrain, flag(png, "png"), &notes};

  InterruptHook hook;
  options.stop = hook.request();
  BatchResult outcome;
  {
    const py::gil_scoped_release release;
    outcome = runBatch(options, taps);
  }
  if (outcome.interrupted != 0) raiseInterrupted(hook);
  if (outcome.status != 0) raiseRefused(outcome.refusal);
  warnEachLine(notes.str());

  RunResult result;
  result.json = py::module_::import("json").attr("loads")(jsonText(resultJson(outcome)));
  const py::object endWait = result.json["end_wait"];
  result.fields = endWait.is_none() ? py::none() : py::object(endWait["fields"]);
  result.captions = endWait.is_none() ? py::none() : py::object(endWait["captions"]);
  result.table = tableObject(readCsvRows(rows.str(), columnSpecs(layout)));
  result.trace = wantTrace ? structuredArray(traceRecorder.columns()) : py::none();
  result.strain = wantStrain ? structuredArray(strainRecorder.columns()) : py::none();
  result.png =
      taps.picture && !outcome.pngBytes.empty() ? py::object(py::bytes(outcome.pngBytes)) : py::none();
  result.configurations = outcome.configurations;
  result.steps = outcome.steps;
  return py::cast(std::move(result));
}

constexpr const char* kRunDoc =
    R"(run(bh=1, fields=None, *, gravity=None, integrator=None, tolerance=None, refresh_every=None, max_steps=None,
    trace=False, png=False, strain=False, strain_rate=None, distance_mpc=None, inclination_deg=None,
    jobs=None, progress=False) -> RunResult

One run of the program without a window, as `bhsim --batch` makes it: start-up, `bh` black holes (1 to 3),
each field of `fields` typed in, then "Start", "Cont" and "Next" pressed in turn. Every value is the one the
command line writes, bit for bit.

bh               the number of black holes, 1 to 3 (--bh)
fields           a mapping of text fields to what is typed into them, in its order (FIELD=TEXT):
                 {"Tfreq": "17.5", "Tmaxcount": 100000, "TBH2": 29.5}; a str is typed as it is, an int
                 in decimal, a float as its shortest round-trip text
gravity          the law of gravity by its command-line name: "newtonian", "1pn", "1pn+2.5pn", ...
                 (--gravity; None: Newtonian, and no gravity key in the JSON)
integrator       how the bodies are advanced in time, by its command-line name: "euler", "ias15"
                 (--integrator; None: euler, and no integrator key in the JSON)
tolerance        the error per step of an adaptive integrator, from 1e-10 to 1 (--tolerance; None: 1e-9)
refresh_every    refresh the fields every N steps (--refresh-every; None: every 10,000 steps and at the
                 first step past the total time)
max_steps        press "Stop" at the first event pump after N steps in all (--max-steps)
trace            keep every plotted dot (--trace)
png              keep the display at the end wait as PNG bytes (--png)
strain           sample the gravitational-wave strain (--strain), with strain_rate (Hz, default 4096),
                 distance_mpc (default 410) and inclination_deg (default 0, face-on)
jobs             threads for the configurations of a three-black-hole sweep (--jobs; None: one per core)
progress         the progress line on a terminal's standard error (the opposite of --quiet)

The GIL is released while the run integrates; Ctrl-C stops it at an event pump within about a tenth of a
second and raises KeyboardInterrupt. Raises bhsim.Refused with the program's reason when the run is refused, ValueError or
TypeError naming a bad argument.)";

}  // namespace

void defineRun(py::module_& module) {
  py::class_<RunResult>(module, "RunResult",
                        "What bhsim.run returns: the outputs of one run (the fields and captions at its end "
                        "wait, its table, trace, strain, JSON and picture).")
      .def_readonly("fields", &RunResult::fields,
                    "The text fields at the end wait, {name: text} (None where the run never reached it).")
      .def_readonly("captions", &RunResult::captions, "The labels' and buttons' captions at the end wait.")
      .def_readonly("table", &RunResult::table,
                    "One row per configuration, the columns of --table: a pandas DataFrame, or a numpy "
                    "structured array where pandas cannot be imported.")
      .def_readonly("trace", &RunResult::trace,
                    "Every plotted dot (trace=True), a numpy structured array of the columns of --trace: "
                    "configuration, step, body, x_km, y_km; None otherwise.")
      .def_readonly("strain", &RunResult::strain,
                    "The strain samples (strain=True), a numpy structured array of the columns of --strain: "
                    "configuration, t_s, h_plus, h_cross; None otherwise.")
      .def_readonly("json", &RunResult::json, "What --json writes, as a dict.")
      .def_readonly("png", &RunResult::png, "The display at the end wait as PNG bytes (png=True), else None.")
      .def_readonly("configurations", &RunResult::configurations, "The configurations built.")
      .def_readonly("steps", &RunResult::steps, "The integration steps of all configurations.")
      .def("__repr__", [](const RunResult& r) {
        return "<bhsim.RunResult: " + std::to_string(r.configurations) + " configuration(s), " +
               std::to_string(r.steps) + " steps>";
      });
  module.def("run", &run, kRunDoc, py::arg("bh") = 1, py::arg("fields") = py::none(), py::kw_only(),
             py::arg("gravity") = py::none(), py::arg("integrator") = py::none(),
             py::arg("tolerance") = py::none(), py::arg("refresh_every") = py::none(),
             py::arg("max_steps") = py::none(), py::arg("trace") = false, py::arg("png") = false,
             py::arg("strain") = false, py::arg("strain_rate") = py::none(),
             py::arg("distance_mpc") = py::none(), py::arg("inclination_deg") = py::none(),
             py::arg("jobs") = py::none(), py::arg("progress") = false);
}

}  // namespace bhsim::python
