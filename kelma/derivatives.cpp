#include "kelma/derivatives.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/matrix_view.hpp"
#include "common/records.hpp"
#include "common/vectors.hpp"
#include "common/worker_pool.hpp"
#include "kelma/energy.hpp"
#include "kelma/setup.hpp"
#include "kelma/units.hpp"

namespace kelma {

namespace {

// Central differences of the analytic gradient: the step (Angstrom) and its double.
constexpr double fd_step = 0.001;
constexpr double fd_divisor = 0.002;
// The Hessian notes are listed above this print level.
constexpr int hessian_listing_print = 1;

void hessian_note(common::RunContext& run, int print, std::string_view text) {
  if (print > hessian_listing_print && run.keeps_records()) {
    run.write_record(common::listing_unit, common::FreeRecord().item(text).str());
  }
}

double gradient_at(common::RunContext& run, const ForceFieldModel& m, std::span<const double> xyz,
                   std::span<double> g) {
  return ffegrad(run, m.natoms, m.vdwc, m.print, xyz, m.itype, m.conn, m.ff, g);
}

// The serial walk through the coordinates moves each one by +step, -step, -step, +step, which can
// leave it one unit in the last place away from where it started; every copy of the coordinates
// goes through the same additions so that all threads see the values of the serial walk.
void step_and_restore(double& x) {
  x += fd_step;
  x -= fd_step;
  x -= fd_step;
  x += fd_step;
}

// What one thread of the Hessian writes: its distances, the two gradients and its copy of the
// coordinates. The calling thread works in the run's own arrays.
struct HessianScratch {
  std::span<double> dist;
  std::span<double> gplus;
  std::span<double> gminus;
  std::span<double> xyz;
  std::vector<double> owned;

  HessianScratch(std::span<double> d, std::span<double> gp, std::span<double> gm,
                 std::span<double> x)
      : dist(d), gplus(gp), gminus(gm), xyz(x) {}
  HessianScratch(std::size_t pairs, std::size_t coords) : owned(pairs + 3 * coords) {
    const std::span<double> all(owned);
    dist = all.first(pairs);
    gplus = all.subspan(pairs, coords);
    gminus = all.subspan(pairs + coords, coords);
    xyz = all.subspan(pairs + 2 * coords, coords);
  }
};

// What the threads of one Hessian share: the start coordinates, the matrix and the energy terms
// of every evaluation (2i - 2 for the forward and 2i - 1 for the backward step of coordinate i),
// kept for the listing. Each thread writes only its own rows' entries.
struct HessianJob {
  const ForceFieldModel& model;
  std::span<const double> start;
  common::MatrixView<double> h;
  std::vector<EnergyTerms> terms;
  int threads;
};

// Thread t (0-based) takes rows t + 1, t + 1 + threads, ... Row i of the difference quotients is
// stored in column i: the symmetrisation then forms the same pair means as from rows, and no two
// threads write to the same stretch of memory.
void hessian_worker(HessianJob& job, int t, HessianScratch& s) {
  const ForceFieldModel& m = job.model;
  const int dim = 3 * m.natoms;
  int walked = 1; // coordinates below this one have been stepped and restored
  for (int i = t + 1; i <= dim; i += job.threads) {
    for (; walked < i; ++walked)
      step_and_restore(s.xyz[static_cast<std::size_t>(walked - 1)]);
    double& x = s.xyz[static_cast<std::size_t>(i - 1)];
    const auto evaluation = 2 * static_cast<std::size_t>(i - 1);
    x += fd_step;
    job.terms[evaluation] =
        gradient_terms(m.natoms, m.vdwc, s.xyz, m.itype, m.conn, m.ff, s.dist, s.gplus);
    x -= fd_step;
    x -= fd_step;
    job.terms[evaluation + 1] =
        gradient_terms(m.natoms, m.vdwc, s.xyz, m.itype, m.conn, m.ff, s.dist, s.gminus);
    x += fd_step;
    walked = i + 1;
    for (int j = 1; j <= dim; ++j) {
      const auto k = static_cast<std::size_t>(j - 1);
      job.h(j, i) = (s.gplus[k] - s.gminus[k]) / fd_divisor;
    }
  }
  for (; walked <= dim; ++walked)
    step_and_restore(s.xyz[static_cast<std::size_t>(walked - 1)]);
}

// Runs part 0 in the run's own arrays and the others with scratch of their own and a copy of the
// coordinates taken before any part moves them.
void run_hessian_workers(HessianJob& job, HessianScratch& own) {
  const auto natoms = static_cast<std::size_t>(job.model.natoms);
  std::vector<HessianScratch> scratch;
  scratch.reserve(static_cast<std::size_t>(job.threads - 1));
  for (int t = 1; t < job.threads; ++t) {
    scratch.emplace_back(natoms * natoms, 3 * natoms);
    common::cpyvec(job.start, scratch.back().xyz);
  }
  common::WorkerPool pool(job.threads);
  pool.run(job.threads, [&](int t) {
    hessian_worker(job, t, t == 0 ? own : scratch[static_cast<std::size_t>(t - 1)]);
  });
}

// Row i of the Hessian (kcal/mol/Angstrom^2) is the difference of the gradients a step either
// side of coordinate i. The rows are shared out among threads; the coordinates, the listing and
// every value come out as in the serial walk.
void finite_difference_hessian(common::RunContext& run, const ForceFieldModel& m,
                               std::span<double> xyz, std::span<double> gplus,
                               std::span<double> gminus, std::span<double> hess) {
  const int dim = 3 * m.natoms;
  const auto coords = static_cast<std::size_t>(dim);
  HessianJob job{m,
                 xyz,
                 {hess.data(), dim},
                 std::vector<EnergyTerms>(2 * coords),
                 std::min(hessian_thread_count(m.hessian_threads), dim)};
  HessianScratch own(m.ff.dist, gplus, gminus, xyz);
  run_hessian_workers(job, own);
  if (m.print > energy_listing_print && run.keeps_records()) {
    for (const EnergyTerms& e : job.terms)
      write_energy_block(run, e);
  }
  const common::MatrixView<double> h = job.h;
  for (int j = 2; j <= dim; ++j) {
    for (int i = 1; i < j; ++i) {
      const double mean = (h(i, j) + h(j, i)) * 0.5;
      h(i, j) = mean;
      h(j, i) = mean;
    }
  }
}

} // namespace

int hessian_thread_count(int requested) {
  if (requested > 0)
    return requested;
  return common::available_cpus();
}

void ffderiv(common::RunContext& run, const ForceFieldModel& model, int jobtype,
             std::span<double> xyz, std::span<double> gscratch, double& energy,
             std::span<double> grad, std::span<double> hess, int& ncall) {
  if (ncall == 0) {
    ffsetup(run, model.natoms, model.maxbend, model.maxtors, model.print, xyz, model.itype,
            model.conn, model.ff);
  }
  ++ncall;
  const auto dim = 3 * static_cast<std::size_t>(model.natoms);
  if (jobtype == 1) {
    hessian_note(run, model.print, "  Hessian Calculated Using Sybyl-5.2 Force Field");
    const std::span<double> h = hess.first(dim * dim);
    common::dzero(h);
    finite_difference_hessian(run, model, xyz, gscratch, grad, h);
    hessian_note(run, model.print, "  Hessian Calculation Complete");
    common::vscal(hessian_to_hartree_bohr2, h);
  }
  if (jobtype >= 0) {
    energy = gradient_at(run, model, xyz, grad);
    common::vscal(gradient_to_force, grad.first(dim));
  }
}

} // namespace kelma
