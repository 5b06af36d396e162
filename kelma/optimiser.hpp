// The quasi-Newton optimiser: BFGS update of an inverse Hessian, a capped steepest-descent line
// search while the force is large, capped steps, and the cycle and geometry records.
#pragma once

#include <functional>
#include <span>

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

struct OptimSettings {
  int natoms = 0;
  double gtol = 0.0;
  double etol = 0.0;
  int nsteps = 0;
  int print = 0;
};

// Minimises the energy from xyz (Angstrom, updated in place). Returns on convergence with the
// final geometry in xyz; ends the run with stop code 666 at the cycle limit. jobtype is set to 0
// on the first cycle.
void optim(const OptimSettings& settings, int& jobtype, std::span<double> xyz, Workspace& ws,
           const ForceFieldCalls& ff, int& cycle);

// BFGS update of the n x n inverse Hessian h. On entry step is the previous step and fprev the
// force before it; on exit h is updated and step is h f, cut to the step limit. When the
// curvature along the previous step is too small it warns on the listing (print > 0), resets h
// to the unit matrix and takes the capped steepest-descent step instead. scratch holds 2n doubles.
void bfgsupd(int n, int print, std::span<const double> f, std::span<const double> fprev,
             std::span<double> h, std::span<double> step, std::span<double> scratch);

} // namespace kelma
