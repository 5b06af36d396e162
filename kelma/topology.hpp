// Molecular topology: the pairs, bends, torsions and out-of-plane centres derived from the
// bond-code matrix, in their fixed enumeration orders, with their parameters, and the count that
// sizes the workspace.
// Atom numbers are 1-based; entry e of a list (from 0) is entry e + 1 of the enumeration.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "common/run_context.hpp"
#include "kelma/workspace.hpp"

namespace kelma {

// The atoms bonded to each atom, in increasing atom number, from the bond-code matrix.
class NeighbourLists {
public:
  NeighbourLists(std::span<const int> conn, int natoms);
  std::span<const int> of(int atom) const {
    const std::size_t begin = first_[static_cast<std::size_t>(atom - 1)];
    return std::span<const int>(atoms_).subspan(begin,
                                                first_[static_cast<std::size_t>(atom)] - begin);
  }

private:
  std::vector<std::size_t> first_;
  std::vector<int> atoms_;
};

// Counts the bends exactly (nbend) and bounds the torsions plus out-of-plane bends (ntors) of
// the natoms x natoms bond-code matrix conn (column by column).
void ffcount(int natoms, std::span<const int> conn, int& nbend, int& ntors);

// Pair parameters: r0 and the bond constant of bonded pairs, the well depth of non-bonded pairs
// that no shared neighbour or hydrogen-bond rule excludes, in (i, j) and (j, i). r0 and kpair
// are cleared first.
void ffpair(int natoms, std::span<const int> itype, std::span<const int> conn,
            std::span<const double> dist, std::span<double> r0, std::span<double> kpair);

// Resets counts.nbend and appends every bend through addbend: triples i > j > k, each tested
// for the apex j, k and i in that order.
void ffbend(common::RunContext& run, int natoms, int maxbend, std::span<const int> itype,
            std::span<const int> conn, std::span<const double> dist, BendList& bends,
            Counts& counts);

// Appends bend a-b-c (apex b) with its angle parameters; a bend beyond maxbend ends the run
// with error 1 (reported on the listing of run).
void addbend(common::RunContext& run, int natoms, int maxbend, int a, int b, int c,
             std::span<const int> itype, std::span<const double> dist, BendList& bends,
             Counts& counts);

// Resets counts.ntors and counts.noop and appends every torsion through addtors (quadruples
// h > c > i > j, twelve chains each in a fixed order), then every out-of-plane centre: an atom
// of an out-of-plane type with exactly three neighbours, listed in increasing atom number.
// Entries beyond maxtors end the run with error 2 (torsions) or 3 (out-of-plane bends).
void fftors(common::RunContext& run, int natoms, int maxtors, std::span<const int> itype,
            std::span<const int> conn, TorsionList& torsions, Counts& counts);

// Appends torsion a-b-c-d with the parameters of its types and central bond code; a torsion
// beyond maxtors ends the run with error 2.
void addtors(common::RunContext& run, int natoms, int maxtors, int a, int b, int c, int d,
             std::span<const int> itype, std::span<const int> conn, TorsionList& torsions,
             Counts& counts);

} // namespace kelma
