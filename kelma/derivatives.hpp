// The force field as the optimiser sees it: the one-time set-up on the first call, the
// finite-difference Hessian, and the conversion of the gradient and Hessian to bohr and hartree.
#pragma once

#include <span>

#include "common/run_context.hpp"
#include "kelma/workspace.hpp"

namespace kelma {

// What the derivative routine needs besides the coordinates: the run's sizes and settings, the
// arrays the set-up fills, and the number of threads of the Hessian (0: one per CPU the process
// may run on).
struct ForceFieldModel {
  int natoms;
  int maxbend;
  int maxtors;
  double vdwc;
  int print;
  std::span<const int> conn;
  std::span<int> itype;
  ForceFieldArrays& ff;
  int hessian_threads = 0;
};

// The threads a Hessian with the given request uses: the request, or for 0 one per CPU the
// process may run on (its affinity mask); at least 1.
int hessian_thread_count(int requested);

// The derivatives at xyz (Angstrom; perturbed and restored during the Hessian). The first call
// (ncall 0) runs ffsetup; every call adds 1 to ncall. jobtype 1: the finite-difference Hessian
// in hess (3n x 3n, hartree/bohr^2, gscratch as scratch), its 6n gradients shared out among
// threads with the values and the listing of the serial order, then as for 0; jobtype >= 0: the
// energy (kcal/mol) and the force, minus the gradient, in grad (hartree/bohr); a negative
// jobtype leaves energy, grad and hess untouched. The set-up, the Hessian and the energy list on
// the listing of run.
void ffderiv(common::RunContext& run, const ForceFieldModel& model, int jobtype,
             std::span<double> xyz, std::span<double> gscratch, double& energy,
             std::span<double> grad, std::span<double> hess, int& ncall);

} // namespace kelma
