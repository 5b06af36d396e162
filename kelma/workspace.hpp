// The driver's workspace: every array of one kelma run, sized from the atom count and the two
// results of ffcount, cleared to zero. The workspace check counts the elements of all of them.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

namespace kelma {

// Bends: first end atom, apex, second end atom (1-based atom numbers) and their parameters.
struct BendList {
  std::vector<int> i, j, k;
  std::vector<double> theta0, kbend;

  std::array<int, 3> atoms(std::size_t n) const { return {i[n], j[n], k[n]}; }
};

// Torsions a-b-c-d (entries 0..ntors-1), followed by the out-of-plane entries: centre in a, its
// three neighbours in b, c, d, force constant in v.
struct TorsionList {
  std::vector<int> a, b, c, d, n;
  std::vector<double> v;

  std::array<int, 4> atoms(std::size_t entry) const {
    return {a[entry], b[entry], c[entry], d[entry]};
  }
};

// The counts record of the force field, filled by the set-up, read by the energy routines.
struct Counts {
  int nbend = 0;
  int ntors = 0;
  int noop = 0;
};

// The force-field arrays of the workspace and the counts record: what the set-up fills and the
// energy routines read. Pair matrices are natoms x natoms, column by column, and symmetric.
struct ForceFieldArrays {
  std::vector<double> dist;  // distances
  std::vector<double> r0;    // reference bond lengths
  std::vector<double> kpair; // bond constants or well depths
  BendList bends;            // five lists of maxbend entries
  TorsionList torsions;      // six lists of maxtors entries
  Counts counts;
};

// Two arrays serve two roles each, one after the other (gscratch and hess keep the names of the
// description of the workspace); the functions below name the role a caller uses, and the
// workspace check counts each array once.
struct Workspace {
  std::vector<double> force;     // minus the gradient, hartree/bohr (3n)
  ForceFieldArrays ff;           // 3 n^2, 5 maxbend and 6 maxtors elements
  std::vector<double> gscratch;  // 3n: hessian_scratch, then previous_force
  std::vector<double> step;      // the step, bohr (3n)
  std::vector<double> hess;      // 3n x 3n: hessian, then inverse_hessian
  std::vector<double> hess_copy; // the Hessian kept on cycle 1 (3n x 3n, only for jobtype 1)
};

// The scratch of the finite-difference Hessian (3n), while the Hessian is built on cycle 1.
inline std::span<double> hessian_scratch(Workspace& ws) { return ws.gscratch; }
// The force before the last step (3n), from the first step on; it reuses the Hessian scratch.
inline std::span<double> previous_force(Workspace& ws) { return ws.gscratch; }
// The Hessian (3n x 3n, hartree/bohr^2), as ffderiv writes it on cycle 1.
inline std::span<double> hessian(Workspace& ws) { return ws.hess; }
// The inverse Hessian the optimiser starts from and updates; it replaces the Hessian in place.
inline std::span<double> inverse_hessian(Workspace& ws) { return ws.hess; }

// The largest workspace a run may take, in elements (512 MiB of doubles); a 500-atom molecule
// with a Hessian needs about a hundredth of it.
inline constexpr long long workspace_capacity = 1LL << 26;

// Number of workspace elements a run needs: 12n^2 + 9n + 5 maxbend + 6 maxtors, plus 9n^2 when
// jobtype is 1.
long long workspace_need(int n, int maxbend, int maxtors, int jobtype);

// Allocates every array, cleared to zero.
Workspace make_workspace(int n, int maxbend, int maxtors, int jobtype);

// Sum of the sizes of the arrays of ws, as the workspace check counts them.
long long workspace_size(const Workspace& ws);

} // namespace kelma
