#include "kelma/topology.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

#include "common/matrix_view.hpp"
#include "common/reports.hpp"
#include "kelma/parameters.hpp"

namespace kelma {

namespace {

// Torsion-bound contribution of one atom bonded to all three others of a quadruple.
constexpr int branch_bound = 3;

constexpr const char* routine_text = "Force Field module";
constexpr int bend_error = 1;
constexpr int torsion_error = 2;
constexpr int oop_error = 3;
constexpr const char* too_many_bends = "More Bends in System than Dimensioned for";
constexpr const char* too_many_torsions = "More Torsions in System than Dimensioned for";
constexpr const char* too_many_oops = "More Out-of-Plane Bends in System than Dimensioned for";

// An out-of-plane centre has exactly this many neighbours.
constexpr int oop_neighbours = 3;

using ConstMatrix = common::MatrixView<const int>;

bool bonded(ConstMatrix conn, int a, int b) { return conn(a, b) != 0; }

// Positions of the four atoms h > c > i > j of a quadruple.
enum Slot { H, C, I, J };

// One of the twelve chains through a quadruple: the bond that guards its group (h-c for tests
// 1-6, c-i for 7-10, h-i for 11-12), the two further bonds it needs, and the torsion appended.
struct ChainTest {
  Slot guard[2], second[2], third[2];
  Slot torsion[4];
};

constexpr std::array<ChainTest, 12> chain_tests = {{
    {{H, C}, {I, H}, {C, J}, {I, H, C, J}}, // 1
    {{H, C}, {I, C}, {H, J}, {I, C, H, J}}, // 2
    {{H, C}, {H, I}, {I, J}, {C, H, I, J}}, // 3
    {{H, C}, {H, J}, {J, I}, {C, H, J, I}}, // 4
    {{H, C}, {C, I}, {I, J}, {H, C, I, J}}, // 5
    {{H, C}, {C, J}, {J, I}, {H, C, J, I}}, // 6
    {{C, I}, {I, H}, {H, J}, {C, I, H, J}}, // 7
    {{C, I}, {H, I}, {C, J}, {H, I, C, J}}, // 8
    {{C, I}, {H, J}, {J, C}, {H, J, C, I}}, // 9
    {{C, I}, {H, J}, {J, I}, {H, J, I, C}}, // 10
    {{H, I}, {C, J}, {J, H}, {C, J, H, I}}, // 11
    {{H, I}, {I, J}, {J, C}, {H, I, J, C}}, // 12
}};

// Calls visit(a, b, c) for every bend a-b-c (apex b) in enumeration order: triples i > j > k,
// apex j, then k, then i.
template <class Visit> void visit_bends(ConstMatrix conn, int natoms, Visit&& visit) {
  for (int i = 3; i <= natoms; ++i) {
    for (int j = 2; j <= i - 1; ++j) {
      for (int k = 1; k <= j - 1; ++k) {
        if (bonded(conn, i, j) && bonded(conn, j, k))
          visit(i, j, k);
        if (bonded(conn, i, k) && bonded(conn, k, j))
          visit(i, k, j);
        if (bonded(conn, j, i) && bonded(conn, i, k))
          visit(j, i, k);
      }
    }
  }
}

// The twelve chain tests of the quadruple h > c > i > j, in their order.
template <class Visit>
void visit_chains(ConstMatrix conn, int h, int c, int i, int j, Visit& visit) {
  const std::array<int, 4> atom = {h, c, i, j};
  const auto linked = [&](const Slot(&pair)[2]) {
    return bonded(conn, atom[pair[0]], atom[pair[1]]);
  };
  for (const ChainTest& test : chain_tests) {
    if (linked(test.guard) && linked(test.second) && linked(test.third)) {
      visit(atom[test.torsion[0]], atom[test.torsion[1]], atom[test.torsion[2]],
            atom[test.torsion[3]]);
    }
  }
}

// Calls visit(a, b, c, d) for every torsion a-b-c-d in enumeration order: quadruples
// h > c > i > j, twelve chain tests each.
template <class Visit> void visit_torsions(ConstMatrix conn, int natoms, Visit&& visit) {
  const NeighbourLists neighbours(
      std::span<const int>(conn.data, static_cast<std::size_t>(natoms) * natoms), natoms);
  for (int h = 4; h <= natoms; ++h) {
    for (int c = 3; c <= h - 1; ++c) {
      for (int i = 2; i <= c - 1; ++i) {
        // Every chain needs one of the three guard bonds, none of which involves j.
        if (!bonded(conn, h, c) && !bonded(conn, c, i) && !bonded(conn, h, i))
          continue;
        // Every chain also bonds j to h, c or i: j runs in increasing order over the atoms below
        // i in the three neighbour lists, each met once.
        std::array<std::span<const int>, 3> lists{neighbours.of(h), neighbours.of(c),
                                                  neighbours.of(i)};
        for (;;) {
          int j = i;
          for (const auto& list : lists) {
            if (!list.empty() && list.front() < j)
              j = list.front();
          }
          if (j == i)
            break;
          for (auto& list : lists) {
            if (!list.empty() && list.front() == j)
              list = list.subspan(1);
          }
          visit_chains(conn, h, c, i, j, visit);
        }
      }
    }
  }
}

// Number of atoms other than p bonded to p.
int neighbour_count(ConstMatrix conn, int natoms, int p) {
  int count = 0;
  for (int m = 1; m <= natoms; ++m) {
    if (m != p && bonded(conn, p, m))
      ++count;
  }
  return count;
}

// Torsions with the central bond j-k: ordered pairs (l, m), l bonded to j, m bonded to k, with
// l != k, m != j and m != l. With A the l and B the m allowed but for m != l, that is
// |A| |B| - |A and B|, counted in one pass over the atoms.
long long torsions_about(ConstMatrix conn, int natoms, int j, int k) {
  long long ends_at_j = 0;
  long long ends_at_k = 0;
  long long ends_at_both = 0;
  for (int x = 1; x <= natoms; ++x) {
    const bool at_j = x != k && bonded(conn, x, j);
    const bool at_k = x != j && bonded(conn, x, k);
    ends_at_j += at_j ? 1 : 0;
    ends_at_k += at_k ? 1 : 0;
    ends_at_both += at_j && at_k ? 1 : 0;
  }
  return ends_at_j * ends_at_k - ends_at_both;
}

// Appends the out-of-plane entry of atom p when it has exactly three neighbours.
void add_out_of_plane(common::RunContext& run, ConstMatrix conn, int natoms, int maxtors, int p,
                      double constant, TorsionList& torsions, Counts& counts) {
  std::array<int, oop_neighbours> neighbour{};
  int found = 0;
  for (int m = 1; m <= natoms; ++m) {
    if (!bonded(conn, p, m))
      continue;
    if (found < oop_neighbours)
      neighbour[static_cast<std::size_t>(found)] = m;
    ++found;
  }
  if (found != oop_neighbours)
    return;
  if (counts.ntors + counts.noop >= maxtors)
    common::nerror(run, oop_error, routine_text, too_many_oops, 0, 0);
  const auto e = static_cast<std::size_t>(counts.ntors + counts.noop);
  ++counts.noop;
  torsions.a[e] = p;
  torsions.b[e] = neighbour[0];
  torsions.c[e] = neighbour[1];
  torsions.d[e] = neighbour[2];
  torsions.v[e] = constant;
}

// Whether some atom m excludes the non-bonded pair i, j: bonded to both (a 1-3 pair), or the
// hydrogen-bond pattern through m from either side. Only atoms bonded to i or j can, so only
// their neighbour lists are scanned.
bool excluded_pair(std::span<const int> itype, ConstMatrix conn, const NeighbourLists& neighbours,
                   int i, int j) {
  const int ti = itype[i - 1];
  const int tj = itype[j - 1];
  for (const int m : neighbours.of(i)) {
    if (conn(j, m) != 0 || hydrogen_bond(ti, itype[m - 1], tj))
      return true;
  }
  for (const int m : neighbours.of(j)) {
    if (hydrogen_bond(tj, itype[m - 1], ti))
      return true;
  }
  return false;
}

} // namespace

NeighbourLists::NeighbourLists(std::span<const int> conn_data, int natoms)
    : first_(static_cast<std::size_t>(natoms) + 1, 0) {
  const ConstMatrix conn{conn_data.data(), natoms};
  for (int p = 1; p <= natoms; ++p) {
    for (int m = 1; m <= natoms; ++m) {
      if (bonded(conn, p, m))
        atoms_.push_back(m);
    }
    first_[static_cast<std::size_t>(p)] = atoms_.size();
  }
}

void ffcount(int natoms, std::span<const int> conn_data, int& nbend, int& ntors) {
  const ConstMatrix conn{conn_data.data(), natoms};
  // The bond-code matrix is symmetric, so every bend is one apex and two of its neighbours; and
  // over all quadruples, 3 for each atom bonded to the three others: that is 3 for every way to
  // choose three neighbours of one atom. Both are summed here atom by atom.
  long long bends = 0;
  long long bound = 0;
  for (int p = 1; p <= natoms; ++p) {
    const long long m = neighbour_count(conn, natoms, p);
    bends += m * (m - 1) / 2;
    bound += branch_bound * (m * (m - 1) * (m - 2) / 6);
  }
  for (int j = 2; j <= natoms; ++j) {
    for (int k = 1; k <= j - 1; ++k) {
      if (bonded(conn, j, k))
        bound += torsions_about(conn, natoms, j, k);
    }
  }
  // Only a nonsense connectivity comes near this; its workspace is refused by the driver.
  nbend = static_cast<int>(std::min<long long>(bends, std::numeric_limits<int>::max()));
  ntors = static_cast<int>(std::min<long long>(bound, std::numeric_limits<int>::max()));
}

void ffpair(int natoms, std::span<const int> itype, std::span<const int> conn_data,
            std::span<const double> dist_data, std::span<double> r0_data,
            std::span<double> kpair_data) {
  const ConstMatrix conn{conn_data.data(), natoms};
  const NeighbourLists neighbours(conn_data, natoms);
  const common::MatrixView<const double> dist{dist_data.data(), natoms};
  const common::MatrixView<double> r0{r0_data.data(), natoms};
  const common::MatrixView<double> kpair{kpair_data.data(), natoms};
  const auto elements = static_cast<std::size_t>(natoms) * static_cast<std::size_t>(natoms);
  std::fill_n(r0_data.begin(), elements, 0.0);
  std::fill_n(kpair_data.begin(), elements, 0.0);
  for (int i = 2; i <= natoms; ++i) {
    const int ti = itype[i - 1];
    for (int j = 1; j <= i - 1; ++j) {
      const int tj = itype[j - 1];
      if (conn(i, j) != 0) {
        const BondParameters bond = bond_parameters(ti, tj, conn(i, j), dist(i, j));
        r0(i, j) = r0(j, i) = bond.r0;
        kpair(i, j) = kpair(j, i) = bond.k;
      } else if (!excluded_pair(itype, conn, neighbours, i, j)) {
        kpair(i, j) = kpair(j, i) = std::sqrt(well_depth(ti) * well_depth(tj));
      }
    }
  }
}

void ffbend(common::RunContext& run, int natoms, int maxbend, std::span<const int> itype,
            std::span<const int> conn, std::span<const double> dist, BendList& bends,
            Counts& counts) {
  counts.nbend = 0;
  visit_bends(ConstMatrix{conn.data(), natoms}, natoms, [&](int a, int b, int c) {
    addbend(run, natoms, maxbend, a, b, c, itype, dist, bends, counts);
  });
}

void addbend(common::RunContext& run, int natoms, int maxbend, int a, int b, int c,
             std::span<const int> itype, std::span<const double> dist_data, BendList& bends,
             Counts& counts) {
  // Checked at every append, so the list is never written past its reserved slots.
  if (counts.nbend >= maxbend)
    common::nerror(run, bend_error, routine_text, too_many_bends, 0, 0);
  const common::MatrixView<const double> dist{dist_data.data(), natoms};
  const BendParameters bend =
      bend_parameters(itype[a - 1], itype[b - 1], itype[c - 1], dist(a, b), dist(b, c), dist(a, c));
  const auto e = static_cast<std::size_t>(counts.nbend);
  ++counts.nbend;
  bends.i[e] = a;
  bends.j[e] = b;
  bends.k[e] = c;
  bends.theta0[e] = bend.theta0;
  bends.kbend[e] = bend.k;
}

void fftors(common::RunContext& run, int natoms, int maxtors, std::span<const int> itype,
            std::span<const int> conn_data, TorsionList& torsions, Counts& counts) {
  const ConstMatrix conn{conn_data.data(), natoms};
  counts.ntors = 0;
  counts.noop = 0;
  visit_torsions(conn, natoms, [&](int a, int b, int c, int d) {
    addtors(run, natoms, maxtors, a, b, c, d, itype, conn_data, torsions, counts);
  });
  for (int p = 1; p <= natoms; ++p) {
    const double constant = oop_constant(itype[p - 1]);
    if (constant != 0.0)
      add_out_of_plane(run, conn, natoms, maxtors, p, constant, torsions, counts);
  }
}

void addtors(common::RunContext& run, int natoms, int maxtors, int a, int b, int c, int d,
             std::span<const int> itype, std::span<const int> conn_data, TorsionList& torsions,
             Counts& counts) {
  if (counts.ntors >= maxtors)
    common::nerror(run, torsion_error, routine_text, too_many_torsions, 0, 0);
  const ConstMatrix conn{conn_data.data(), natoms};
  const TorsionParameters torsion =
      torsion_parameters(itype[a - 1], itype[b - 1], itype[c - 1], itype[d - 1], conn(b, c));
  const auto e = static_cast<std::size_t>(counts.ntors);
  ++counts.ntors;
  torsions.a[e] = a;
  torsions.b[e] = b;
  torsions.c[e] = c;
  torsions.d[e] = d;
  torsions.n[e] = torsion.n;
  torsions.v[e] = torsion.v;
}

} // namespace kelma
