// The portable trigonometric functions against the C library's, on arguments like the programs'
// (cosines of bend and torsion angles, angles of a few turns, ratios of lengths).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

#include "common/elementary_functions.hpp"

namespace {

constexpr std::size_t argument_count = 4096;

std::vector<double> arguments(double lo, double hi) {
  std::mt19937_64 random(1);
  std::uniform_real_distribution<double> draw(lo, hi);
  std::vector<double> xs(argument_count);
  for (double& x : xs)
    x = draw(random);
  return xs;
}

// Both sides are called through a pointer, so neither is inlined into the loop.
void run(benchmark::State& state, double (*f)(double), double lo, double hi) {
  const std::vector<double> xs = arguments(lo, hi);
  for (auto _ : state) {
    double sum = 0.0;
    for (double x : xs)
      sum += f(x);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(argument_count));
}

double libm_acos(double x) { return std::acos(x); }
double libm_cos(double x) { return std::cos(x); }
double libm_sin(double x) { return std::sin(x); }
double libm_tan(double x) { return std::tan(x); }
double libm_atan(double x) { return std::atan(x); }

constexpr double turns = 3 * 2 * 3.141592653589793;

} // namespace

BENCHMARK_CAPTURE(run, portable_acos, common::portable::acos, -1.0, 1.0);
BENCHMARK_CAPTURE(run, libm_acos, libm_acos, -1.0, 1.0);
BENCHMARK_CAPTURE(run, portable_cos, common::portable::cos, 0.0, turns);
BENCHMARK_CAPTURE(run, libm_cos, libm_cos, 0.0, turns);
BENCHMARK_CAPTURE(run, portable_sin, common::portable::sin, 0.0, turns);
BENCHMARK_CAPTURE(run, libm_sin, libm_sin, 0.0, turns);
BENCHMARK_CAPTURE(run, portable_tan, common::portable::tan, 0.0, 3.1);
BENCHMARK_CAPTURE(run, libm_tan, libm_tan, 0.0, 3.1);
BENCHMARK_CAPTURE(run, portable_atan, common::portable::atan, 0.0, 4.0);
BENCHMARK_CAPTURE(run, libm_atan, libm_atan, 0.0, 4.0);
