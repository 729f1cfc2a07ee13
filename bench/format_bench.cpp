// The text conventions the field refresh writes with.
#include <benchmark/benchmark.h>

#include "format/mask.hpp"
#include "format/number_text.hpp"

namespace bhsim {
namespace {

void BM_USINGX(benchmark::State& state) {
  double f = 33.289;
  for (auto _ : state) {
    std::string out;
    formatWithMask(f, "###.###", out);
    benchmark::DoNotOptimize(out);
    f += 0.001;
  }
}
BENCHMARK(BM_USINGX);

void BM_NumberText(benchmark::State& state) {
  double x = 255.275198499074;
  for (auto _ : state) {
    benchmark::DoNotOptimize(numberText(x));
    x += 0.5;
  }
}
BENCHMARK(BM_NumberText);

}  // namespace
}  // namespace bhsim
