// The Python module's kernel as C++ runs it: a Simulation's steps, for the module's own step(n) to be
// measured against (bench/python_rate.py).
#include <benchmark/benchmark.h>

#include <cmath>

#include "python/simulation.hpp"
#include "sim/constants.hpp"

namespace bhsim {
namespace {

// 36 and 29 solar masses on Newton's circular orbit 2000 km apart, their centre of mass at rest at the
// origin; bench/python_rate.py starts the module's Simulation from the same numbers.
python::Simulation circularPair(GravityModel model) {
  const double m1 = 36 * kSolarGM, m2 = 29 * kSolarGM, a = 2000;
  const double omega = std::sqrt((m1 + m2) / (a * a * a)), r1 = a * m2 / (m1 + m2), r2 = a * m1 / (m1 + m2);
  const python::Simulation::Start bodies[] = {{m1, -r1, 0, 0, -omega * r1}, {m2, r2, 0, 0, omega * r2}};
  return python::Simulation(bodies, 1e-6, model);
}

void BM_KernelSteps(benchmark::State& state) {
  const GravityModel model = *gravityModelNamed(state.range(1) == 0 ? "newtonian" : "merger");
  for (auto _ : state) {
    python::Simulation simulation = circularPair(model);
    if (simulation.step(state.range(0)) != state.range(0)) state.SkipWithError("the pair merged");
    benchmark::DoNotOptimize(simulation);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetLabel(std::string(gravityModelName(model)));
}
BENCHMARK(BM_KernelSteps)
    ->ArgNames({"steps", "merger"})
    ->ArgsProduct({{1000000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace bhsim
