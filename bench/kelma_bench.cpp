// kelma: the energy and gradient, the finite-difference Hessian and the start made from it, one
// BFGS update at 3n = 1446, and whole runs of the bundled examples.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "bench/molecules.hpp"
#include "common/keyword_input.hpp"
#include "common/run_context.hpp"
#include "common/vectors.hpp"
#include "common/worker_pool.hpp"
#include "kelma/derivatives.hpp"
#include "kelma/driver.hpp"
#include "kelma/energy.hpp"
#include "kelma/hessian_start.hpp"
#include "kelma/optimiser.hpp"
#include "kelma/topology.hpp"
#include "kelma/workspace.hpp"

namespace {

// An alkane read and set up as the optimiser's first cycle leaves it; its units stay in memory.
struct PreparedAlkane {
  common::RunContext units{"", common::UnitsTo::memory};
  kelma::KelmaInput in;
  int maxbend = 0;
  int maxtors = 0;
  kelma::Workspace ws;
  int ncall = 0;
  int threads = 0;

  PreparedAlkane(int carbons, int jobtype) {
    bench::KelmaJob job;
    job.jobtype = jobtype;
    std::istringstream text(bench::alkane_input(carbons, job));
    common::InputDeck deck(text);
    in = kelma::read_kelma_input(units, deck);
    kelma::ffcount(in.natoms, in.conn, maxbend, maxtors);
    ws = kelma::make_workspace(in.natoms, maxbend, maxtors, jobtype);
    deriv(-1); // the set-up only
  }
  kelma::ForceFieldModel model() {
    return {in.natoms, maxbend, maxtors, in.vdwc, in.print, in.conn, in.itype, ws.ff, threads};
  }
  double deriv(int jobtype) {
    double energy = 0.0;
    kelma::ffderiv(units, model(), jobtype, in.xyz, kelma::hessian_scratch(ws), energy, ws.force,
                   kelma::hessian(ws), ncall);
    return energy;
  }
};

void ffegrad_alkane(benchmark::State& state) {
  PreparedAlkane run(static_cast<int>(state.range(0)), 0);
  std::vector<double> grad(run.in.xyz.size());
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelma::ffegrad(run.units, run.in.natoms, run.in.vdwc, 0, run.in.xyz,
                                            run.in.itype, run.in.conn, run.ws.ff, grad));
  }
  state.counters["atoms"] = run.in.natoms;
}
BENCHMARK(ffegrad_alkane)->Arg(10)->Arg(40)->Arg(160)->Unit(benchmark::kMicrosecond);

void ffener_alkane(benchmark::State& state) {
  PreparedAlkane run(static_cast<int>(state.range(0)), 0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelma::ffener(run.units, run.in.natoms, run.in.vdwc, 0, run.in.xyz,
                                           run.in.itype, run.in.conn, run.ws.ff));
  }
  state.counters["atoms"] = run.in.natoms;
}
BENCHMARK(ffener_alkane)->Arg(10)->Arg(40)->Arg(160)->Unit(benchmark::kMicrosecond);

// The whole finite-difference Hessian (6n gradients) plus the gradient ffderiv returns, on the
// given number of threads.
void hessian_alkane(benchmark::State& state) {
  PreparedAlkane run(static_cast<int>(state.range(0)), 1);
  run.threads = static_cast<int>(state.range(1));
  for (auto _ : state)
    benchmark::DoNotOptimize(run.deriv(1));
  state.counters["atoms"] = run.in.natoms;
}
BENCHMARK(hessian_alkane)
    ->ArgsProduct({{10, 40, 160}, {1, 2}})
    ->ArgNames({"carbons", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

constexpr int big_dimension = 1446; // 3n for C160H322

// One quasi-Newton update with a well-conditioned secant pair, from the unit matrix each time,
// at 3n = range(0) on range(1) threads.
void bfgsupd_cycle(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto un = static_cast<std::size_t>(n);
  std::vector<double> h(un * un);
  std::vector<double> f(un);
  std::vector<double> fprev(un);
  std::vector<double> step(un);
  std::vector<double> scratch(kelma::bfgsupd_scratch * un);
  common::WorkerPool pool(static_cast<int>(state.range(1)));
  for (auto _ : state) {
    state.PauseTiming();
    for (std::size_t i = 0; i < un; ++i) {
      f[i] = 0.01 * std::sin(static_cast<double>(i));
      step[i] = 0.001 * (1.0 + static_cast<double>(i % 7));
      fprev[i] = f[i] + 2.0 * step[i];
    }
    common::setdiagmat(n, 1.0, h);
    kelma::InverseHessian hinv{h, false};
    state.ResumeTiming();
    kelma::bfgsupd(n, f, fprev, hinv, step, scratch, pool);
    benchmark::DoNotOptimize(h.data());
  }
}
BENCHMARK(bfgsupd_cycle)
    ->ArgsProduct({{96, 192, 270, 366, 450, 600, big_dimension}, {1, 2}})
    ->ArgNames({"dim", "threads"})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

// The $jobtype 1 start from the force-field Hessian of an alkane at its staggered geometry.
void hessian_start_alkane(benchmark::State& state) {
  PreparedAlkane run(static_cast<int>(state.range(0)), 1);
  run.deriv(1);
  std::vector<double> start(run.ws.hess.size());
  for (auto _ : state)
    benchmark::DoNotOptimize(kelma::internal_inverse(run.ws.hess, run.in.xyz, start));
  state.counters["atoms"] = run.in.natoms;
}
BENCHMARK(hessian_start_alkane)->Arg(10)->Arg(40)->Arg(160)->Unit(benchmark::kMillisecond);

// A whole kelma run, output kept in memory.
void run_kelma_text(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    common::RunContext run("", common::UnitsTo::memory);
    std::istringstream input(text);
    common::InputDeck deck(input);
    kelma::run_kelma_from_deck(run, deck);
  }
}

void whole_run_alkane(benchmark::State& state) {
  bench::KelmaJob job;
  job.jobtype = static_cast<int>(state.range(1));
  run_kelma_text(state, bench::alkane_input(static_cast<int>(state.range(0)), job));
}
BENCHMARK(whole_run_alkane)
    ->Args({10, 0})
    ->Args({40, 0})
    ->Args({10, 1})
    ->Args({40, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

const int registered_examples = [] {
  for (const auto& file : bench::example_inputs("kelma")) {
    benchmark::RegisterBenchmark(("kelma_example/" + file.stem().string()).c_str(), run_kelma_text,
                                 bench::read_file(file))
        ->Unit(benchmark::kMillisecond);
  }
  return 0;
}();

} // namespace
