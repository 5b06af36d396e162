// The quasi-Newton optimiser: BFGS update of an inverse Hessian, a capped steepest-descent line
// search while the force is large, capped steps, and the cycle and geometry records.
#pragma once

#include <cstddef>
#include <functional>
#include <span>

#include "common/run_context.hpp"
#include "common/worker_pool.hpp"
#include "kelma/result.hpp"
#include "kelma/workspace.hpp"

namespace kelma {

// The two calls into the force field. deriv is ffderiv: it adds 1 to the cycle counter, returns
// the energy in kcal/mol, fills the force (minus the gradient, hartree/bohr) and, when jobtype is
// 1, the Hessian in hartree/bohr^2. ener is ffener: the energy in kcal/mol. Both take the
// coordinates in Angstrom.
struct ForceFieldCalls {
  std::function<double(std::span<double> xyz, int jobtype, std::span<double> force,
                       std::span<double> hess, int& cycle)>
      deriv;
  std::function<double(std::span<double> xyz)> ener;
};

// The optimiser's part of the input.
struct OptimSettings {
  int natoms = 0;    // atoms; the coordinates are 3 natoms
  double gtol = 0.0; // converged below this RMS force, hartree/bohr
  double etol = 0.0; // ... and an energy decrease below this, hartree
  int nsteps = 0;    // the largest cycle number
  int print = 0;     // listing level: cycles and warnings above 0, coordinates above 3
};

// Minimises the energy from xyz (Angstrom, updated in place), writing the cycle and geometry
// records and the listing on the units of run (none of them formatted when run keeps no
// records). Returns on convergence with the final geometry in xyz; ends the run with stop code
// 666 at the cycle limit. jobtype is set to 0 on the first cycle. Every cycle adds its figures to
// result as it goes, and the end its geometry; the outcome is set on convergence (a stop leaves
// it to the caller that catches the stop).
void optim(common::RunContext& run, const OptimSettings& settings, int& jobtype,
           std::span<double> xyz, Workspace& ws, const ForceFieldCalls& ff, int& cycle,
           KelmaResult& result);

// The inverse Hessian of the optimiser, n x n, column by column. The update keeps only its lower
// triangle (the matrix stays symmetric); both_triangles_count says that the upper triangle still
// counts too, as for a starting matrix that need not be exactly symmetric.
struct InverseHessian {
  std::span<double> h;
  bool both_triangles_count = false;
};

// Scratch of bfgsupd, in multiples of n.
inline constexpr std::size_t bfgsupd_scratch = 3;

// The threads bfgsupd takes for n coordinates: one for small molecules, otherwise one per CPU the
// process may use.
int bfgsupd_threads(int n);

enum class UpdateOutcome {
  updated,   // H updated, step = H f
  restarted, // too little curvature along the previous step: H reset to the unit matrix
};

// BFGS update of the inverse Hessian. On entry step is the previous step and fprev the force
// before it; on exit H is updated (its lower triangle) and step is H f, cut to the step limit.
// When the curvature along the previous step is too small it resets H to the unit matrix and
// takes the capped steepest-descent step instead (restarted; the caller warns). The products and
// the update are shared out over the pool; every value is the same on any number of threads.
UpdateOutcome bfgsupd(int n, std::span<const double> f, std::span<const double> fprev,
                      InverseHessian& hinv, std::span<double> step, std::span<double> scratch,
                      common::WorkerPool& pool);

} // namespace kelma
