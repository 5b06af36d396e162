// The driver's workspace: every array of one kelma run, sized from the atom count and the two
// results of ffcount, cleared to zero, in the order of its blocks.
#pragma once

#include <span>
#include <vector>

namespace kelma {

// Bends: first end atom, apex, second end atom (1-based atom numbers) and their parameters.
struct BendList {
  std::vector<int> i, j, k;
  std::vector<double> theta0, kbend;
};

// Torsions a-b-c-d (entries 0..ntors-1), followed by the out-of-plane entries: centre in a, its
// three neighbours in b, c, d, force constant in v.
struct TorsionList {
  std::vector<int> a, b, c, d, n;
  std::vector<double> v;
};

// The counts record of the force field, filled by the set-up, read by the energy routines.
struct Counts {
  int nbend = 0;
  int ntors = 0;
  int noop = 0;
};

// Blocks 2-15 of the workspace and the counts record: what the force-field set-up fills and the
// energy routines read. Pair matrices are natoms x natoms, column by column; only element (i, j)
// with i > j of r0 and kpair is used.
struct ForceFieldArrays {
  std::vector<double> dist;  // block 2: distances
  std::vector<double> r0;    // block 3: reference bond lengths
  std::vector<double> kpair; // block 4: bond constants or well depths
  BendList bends;            // blocks 5-9 (maxbend each)
  TorsionList torsions;      // blocks 10-15 (maxtors each)
  Counts counts;
};

struct Workspace {
  std::vector<double> force;     // block 1: minus the gradient, hartree/bohr (3n)
  ForceFieldArrays ff;           // blocks 2-15
  std::vector<double> gscratch;  // block 16: Hessian scratch, then the previous force (3n)
  std::vector<double> step;      // block 17: the step, bohr (3n)
  std::vector<double> hess;      // block 18: Hessian, then the inverse Hessian (3n x 3n)
  std::vector<double> hess_copy; // block 19: the Hessian kept on cycle 1 (only for jobtype 1)
};

// The largest workspace a run may take, in elements (512 MiB of doubles); a 500-atom molecule
// with a Hessian needs about a hundredth of it.
inline constexpr long long workspace_capacity = 1LL << 26;

// Number of workspace elements a run needs: 12n^2 + 9n + 5 maxbend + 6 maxtors, plus 9n^2 when
// jobtype is 1.
long long workspace_need(int n, int maxbend, int maxtors, int jobtype);

// Allocates every block, cleared to zero.
Workspace make_workspace(int n, int maxbend, int maxtors, int jobtype);

// Sum of the sizes of the blocks of ws, as the workspace check counts them.
long long workspace_size(const Workspace& ws);

} // namespace kelma
