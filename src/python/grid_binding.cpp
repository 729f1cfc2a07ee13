#include <sstream>

#include "grid/grid.hpp"
#include "grid/grid_description.hpp"
#include "grid/grid_run.hpp"
#include "python/arguments.hpp"
#include "python/bindings.hpp"
#include "python/errors.hpp"
#include "python/interrupt_hook.hpp"
#include "python/tables.hpp"

namespace bhsim::python {
namespace {

// The values of one sweep as --sweep takes them: a str as given ("1:20:1", "1,2,5", "newtonian,1pn"),
// or each value of an iterable as a field would be typed with it.
std::string sweepValues(const std::string& name, py::handle values) {
  if (py::isinstance<py::str>(values)) return values.cast<std::string>();
  if (!py::isinstance<py::iterable>(values)) {
    throw py::type_error("sweeps['" + name +
                         "'] must be a str such as '1:20:1' or an iterable of values, not " +
                         py::repr(values).cast<std::string>());
  }
  std::string joined;
  for (py::handle value : values) joined += (joined.empty() ? "" : ",") + fieldText(value, name);
  return joined;
}

// The axes of `sweeps`; one that chooses what `given` already chooses (the law of gravity, the integrator)
// is refused.
std::vector<GridAxis> gridAxes(py::handle sweeps, const GridOptions& given) {
  if (!py::hasattr(sweeps, "items"))
    throw py::type_error("sweeps must be a mapping of field names (or 'gravity', 'integrator') to values");
  std::vector<GridAxis> axes;
  for (py::handle item : sweeps.attr("items")()) {
    const py::tuple pair = py::reinterpret_borrow<py::tuple>(item);
    const std::string name = text(pair[0], "a swept field's name");
    if (name != "gravity" && name != "integrator") textField(name);
    std::string error;
    auto axis = parseGridAxis(name + "=" + sweepValues(name, pair[1]), error);
    if (!axis) throw py::value_error("sweeps: " + error);
    if (axis->kind == AxisKind::Gravity && given.point.gravity)
      throw py::value_error("gravity and sweeps['gravity'] both choose the law of gravity: give one of them");
    if (axis->kind == AxisKind::Integrator && given.point.integrator)
      throw py::value_error(
          "integrator and sweeps['integrator'] both choose the integrator: give one of them");
    axes.push_back(std::move(*axis));
  }
  if (axes.empty()) throw py::value_error("sweeps must name at least one field to sweep");
  if (Grid(axes).size() > kMaxGridPoints)
    throw py::value_error("the grid has more than " + std::to_string(kMaxGridPoints) + " points");
  return axes;
}

void setShard(GridOptions& options, py::handle shard) {
  if (shard.is_none()) return;
  if (!py::isinstance<py::tuple>(shard) || py::len(shard) != 2)
    throw py::type_error("shard must be a pair (k, n), not " + py::repr(shard).cast<std::string>());
  const py::tuple pair = py::reinterpret_borrow<py::tuple>(shard);
  options.shardCount = wholeNumber(pair[1], "shard's n", 1, INT64_MAX);
  options.shardIndex = wholeNumber(pair[0], "shard's k", 1, options.shardCount);
}

// The columns of a grid's table: the point, one per axis (a number, or the model's or integrator's name),
// the run's.
std::vector<ColumnSpec> gridSpecs(const GridOptions& options) {
  std::vector<ColumnSpec> specs{{"point", ColumnKind::Whole}};
  for (const GridAxis& axis : options.axes)
    specs.push_back({axisName(axis), axis.kind == AxisKind::Field ? ColumnKind::Number : ColumnKind::Text});
  for (ColumnSpec& column : columnSpecs(gridTableLayout(options.point.gravity, Grid(options.axes))))
    specs.push_back(std::move(column));
  return specs;
}

py::object grid(py::handle sweeps, py::handle bh, py::handle fields, py::handle gravity,
                py::handle integratorName, py::handle tolerance, py::handle refreshEvery, py::handle maxSteps,
                py::handle shard, py::handle jobs, py::handle progress) {
  GridOptions options;
  options.point.bodyCount = static_cast<int>(wholeNumber(bh, "bh", 1, 3));
  options.point.fields = fieldSettings(fields);
  if (!gravity.is_none()) options.point.gravity = gravityModel(gravity, "gravity");
  options.point.refreshEvery = optionalWholeNumber(refreshEvery, "refresh_every", 1, INT64_MAX).value_or(0);
  options.point.maxSteps = optionalWholeNumber(maxSteps, "max_steps", 0, INT64_MAX);
  if (!integratorName.is_none()) options.point.integrator = integrator(integratorName, "integrator");
  options.axes = gridAxes(sweeps, options);
  bool adaptive = options.point.integrator && isAdaptive(*options.point.integrator);
  for (const GridAxis& axis : options.axes) {
    for (const std::string& name : axis.texts)
      adaptive = adaptive || (axis.kind == AxisKind::Integrator && isAdaptive(*integratorNamed(name)));
  }
  options.point.tolerance = python::tolerance(tolerance, adaptive);
  setShard(options, shard);
  options.jobs = static_cast<int>(optionalWholeNumber(jobs, "jobs", 1, kMaxJobs).value_or(0));
  if (!py::isinstance<py::bool_>(progress)) throw py::type_error("progress must be True or False");
  options.quiet = !progress.cast<bool>();

  std::ostringstream table, messages;
  options.tableStream = &table;
  options.messages = &messages;
  InterruptHook hook;
  options.point.stop = hook.request();
  int status = 0;
  {
    const py::gil_scoped_release release;
    status = runGrid(options);
  }
  if (status > 128) raiseInterrupted(hook);       // 128 + the signal that stopped it
  if (status != 0) warnEachLine(messages.str());  // each refused point, as the command line names it
  const std::string text = table.str();
  return tableObject(readCsvRows(std::string_view(text).substr(text.find('\n') + 1), gridSpecs(options)));
}

constexpr const char* kGridDoc =
    R"(grid(sweeps, bh=1, fields=None, *, gravity=None, integrator=None, tolerance=None, refresh_every=None,
    max_steps=None, shard=None, jobs=None, progress=False) -> pandas.DataFrame | numpy.ndarray

A grid of whole runs, as `bhsim --batch --sweep ...` makes it: one run for every combination of the swept
values (the last sweep varies fastest), each value typed into its field after `fields`. Returns the table
--table writes, value for value: the columns point, one per swept field, then those of bhsim.run's table;
a pandas DataFrame, or a numpy structured array where pandas cannot be imported.

sweeps           a mapping of field names to values: a str as --sweep takes it ("1:20:1" for 1 to 20 by 1,
                 "1,2,5"), or an iterable of values ([1, 2.5], range(1, 21), a numpy array), each typed
                 as a field would be; "gravity" sweeps the law of gravity (["newtonian", "1pn"]),
                 "integrator" the integrator (["euler", "ias15"])
shard            (k, n): only the points whose index is k-1 modulo n (--shard k/n)
jobs             threads for the points (--jobs; None: one per core)

bh, fields, gravity, integrator, tolerance, refresh_every, max_steps and progress are those of bhsim.run. A refused point is a
row whose end_reason is "refused", and a RuntimeWarning gives its reason. The GIL is released while the
grid runs; Ctrl-C stops it and raises KeyboardInterrupt. A bad argument raises ValueError or TypeError
naming it.)";

}  // namespace

void defineGrid(py::module_& module) {
  module.def("grid", &grid, kGridDoc, py::arg("sweeps"), py::arg("bh") = 1, py::arg("fields") = py::none(),
             py::kw_only(), py::arg("gravity") = py::none(), py::arg("integrator") = py::none(),
             py::arg("tolerance") = py::none(), py::arg("refresh_every") = py::none(),
             py::arg("max_steps") = py::none(), py::arg("shard") = py::none(), py::arg("jobs") = py::none(),
             py::arg("progress") = false);
}

}  // namespace bhsim::python
