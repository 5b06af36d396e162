#include "kelma/setup.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "kelma/topology.hpp"

namespace {

// A molecule set up through ffsetup, with lists sized by ffcount as the driver sizes them, and
// the listing the set-up wrote.
struct Molecule {
  int natoms;
  std::vector<int> itype;
  std::vector<int> conn;
  kelma::ForceFieldArrays ff;
  std::string listing;

  Molecule(std::vector<double> xyz, std::vector<int> types,
           const std::vector<std::tuple<int, int, int>>& bonds, int print = 0)
      : natoms(static_cast<int>(types.size())), itype(std::move(types)),
        conn(static_cast<std::size_t>(natoms * natoms), 0) {
    for (auto [i, j, code] : bonds) {
      conn[at(i, j)] = code;
      conn[at(j, i)] = code;
    }
    int maxbend = 0;
    int maxtors = 0;
    kelma::ffcount(natoms, conn, maxbend, maxtors);
    ff = kelma::make_workspace(natoms, maxbend, maxtors, 0).ff;
    common::RunContext run("", common::UnitsTo::memory);
    kelma::ffsetup(run, natoms, maxbend, maxtors, print, xyz, itype, conn, ff);
    listing = run.text(common::listing_unit);
  }
  std::size_t at(int i, int j) const { return static_cast<std::size_t>(i - 1 + (j - 1) * natoms); }
  double r0(int i, int j) const { return ff.r0[at(i, j)]; }
  double kpair(int i, int j) const { return ff.kpair[at(i, j)]; }
};

// Atoms on the x axis, 1.5 Angstrom apart.
std::vector<double> in_a_row(int n) {
  std::vector<double> xyz(static_cast<std::size_t>(3 * n), 0.0);
  for (int k = 0; k < n; ++k)
    xyz[static_cast<std::size_t>(3 * k)] = 1.5 * k;
  return xyz;
}

TEST(Ffpair, BondsTakeRowsOrTheirStartingLength) {
  const Molecule m(in_a_row(3), {4, 4, 1}, {{1, 2, 2}, {2, 3, 1}});
  EXPECT_EQ(m.r0(2, 1), 1.5); // 4-4 with code 2 has no row
  EXPECT_EQ(m.kpair(2, 1), 600.0);
  EXPECT_EQ(m.r0(3, 2), 1.458); // row 8, types reversed
  EXPECT_EQ(m.kpair(3, 2), 640.0);
  EXPECT_EQ(m.ff.r0[m.at(2, 3)], 1.458); // both triangles hold the pair
  EXPECT_EQ(m.ff.kpair[m.at(2, 3)], 640.0);
  EXPECT_EQ(m.ff.kpair[m.at(1, 3)], 0.0); // the 1-3 pair is excluded
  EXPECT_EQ(m.ff.dist[m.at(1, 3)], 3.0);  // distances fill the whole matrix
  EXPECT_EQ(m.ff.dist[m.at(3, 1)], 3.0);
}

TEST(Ffpair, SharedNeighboursExcludeButFourthNeighboursDoNot) {
  const Molecule chain(in_a_row(4), {1, 1, 1, 1}, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}});
  EXPECT_EQ(chain.kpair(3, 1), 0.0);
  EXPECT_EQ(chain.kpair(4, 2), 0.0);
  EXPECT_EQ(chain.kpair(4, 1), std::sqrt(0.107 * 0.107));
  EXPECT_EQ(chain.r0(4, 1), 0.0);
}

TEST(Ffpair, HydrogenOnADonorIsKeptFromAcceptors) {
  // Hydrogen 3 on oxygen 2, acceptor 1 bonded to neither: excluded from either side.
  EXPECT_EQ(Molecule(in_a_row(3), {9, 8, 13}, {{2, 3, 1}}).kpair(3, 1), 0.0);
  EXPECT_EQ(Molecule(in_a_row(3), {13, 8, 9}, {{1, 2, 1}}).kpair(3, 1), 0.0);
  // On a carbon the hydrogen keeps its van der Waals term; so does a non-acceptor partner.
  EXPECT_EQ(Molecule(in_a_row(3), {9, 1, 13}, {{2, 3, 1}}).kpair(3, 1), std::sqrt(0.116 * 0.042));
  EXPECT_EQ(Molecule(in_a_row(3), {1, 8, 13}, {{2, 3, 1}}).kpair(3, 1), std::sqrt(0.107 * 0.042));
}

TEST(Ffsetup, TypesBelowOneBecomeTheDefaultType) {
  const Molecule m(in_a_row(3), {0, 1, -5}, {});
  EXPECT_EQ(m.itype, (std::vector<int>{32, 1, 32}));
  EXPECT_EQ(m.kpair(2, 1), std::sqrt(0.107 * 1.0));
  EXPECT_EQ(m.kpair(3, 1), 1.0);
}

TEST(Ffsetup, ListsTheAcetonitrileParameters) {
  const Molecule m(
      {0.0316113612, 0.0055574267, -0.0146734814, -0.0591777072, -0.0500282552, 1.5157579616,
       0.0834077695, -0.0050779933, 2.6489811812, 1.0599614835, 0.0430557081, -0.3548681202,
       -0.5560002030, 0.9079338059, -0.4077894302, -0.4599472235, -0.8599238061, -0.3152742902},
      {1, 4, 7, 13, 13, 13}, {{1, 2, 1}, {2, 3, 3}, {1, 4, 1}, {1, 5, 1}, {1, 6, 1}}, 4);
  EXPECT_EQ(m.listing, "  TRIPOS Parameter Arrays are:\n"
                       "  Distance Parameters\n"
                       "    2   1    1.458000  640.000000\n"
                       "    3   2    1.158000 1600.000000\n"
                       "    4   1    1.100000  662.400000\n"
                       "    4   3    0.000000    0.063166\n"
                       "    5   1    1.100000  662.400000\n"
                       "    5   3    0.000000    0.063166\n"
                       "    6   1    1.100000  662.400000\n"
                       "    6   3    0.000000    0.063166\n"
                       "  Angle Parameters\n"
                       "    3   2   1  180.000000    0.040000\n"
                       "    4   1   2  109.500000    0.016000\n"
                       "    5   1   2  109.500000    0.016000\n"
                       "    5   1   4  109.500000    0.024000\n"
                       "    6   1   2  109.500000    0.016000\n"
                       "    6   1   4  109.500000    0.024000\n"
                       "    6   1   5  109.500000    0.024000\n"
                       "  Torsion Parameters\n"
                       "    4   1   2   3    0.000000     1\n"
                       "    5   1   2   3    0.000000     1\n"
                       "    6   1   2   3    0.000000     1\n");
}

// N-methylacetamide with the amide bond as code 4; every bend and torsion finds a row, so the
// listing below does not depend on the geometry.
TEST(Ffsetup, ListsTheNMethylacetamideParameters) {
  const Molecule m({0.0,   0.0,   0.0,   1.5,  0.0,   0.0, 2.11,  1.06,  0.0,  2.17,  -1.16, 0.0,
                    3.62,  -1.25, 0.0,   1.67, -2.04, 0.0, -0.36, 1.03,  0.0,  -0.36, -0.51, 0.89,
                    -0.36, -0.51, -0.89, 3.98, -0.22, 0.0, 3.98,  -1.76, 0.89, 3.98,  -1.76, -0.89},
                   {1, 2, 9, 28, 1, 13, 13, 13, 13, 13, 13, 13},
                   {{1, 2, 1},
                    {2, 3, 2},
                    {2, 4, 4},
                    {4, 5, 1},
                    {4, 6, 1},
                    {1, 7, 1},
                    {1, 8, 1},
                    {1, 9, 1},
                    {5, 10, 1},
                    {5, 11, 1},
                    {5, 12, 1}},
                   4);
  const std::string& listing = m.listing;
  const std::string distances = listing.substr(0, listing.find("  Angle Parameters"));
  for (const char* bond :
       {"    2   1    1.501000  639.000000\n", "    3   2    1.220000 1555.200000\n",
        "    4   2    1.345000  870.100000\n", "    5   4    1.450000  677.600000\n",
        "    6   4    1.000000  700.000000\n", "    7   1    1.100000  662.400000\n",
        "    6   1    0.000000    0.067037\n"}) {
    EXPECT_NE(distances.find(bond), std::string::npos) << bond;
  }
  // The hydrogen on nitrogen and the carbonyl oxygen: no van der Waals term.
  EXPECT_EQ(distances.find("    6   3"), std::string::npos);
  EXPECT_EQ(listing.substr(distances.size()), "  Angle Parameters\n"
                                              "    3   2   1  120.000000    0.026000\n"
                                              "    4   2   1  117.000000    0.020000\n"
                                              "    4   2   3  123.000000    0.030000\n"
                                              "    5   4   2  118.000000    0.044000\n"
                                              "    6   4   2  119.000000    0.016000\n"
                                              "    6   4   5  117.000000    0.020000\n"
                                              "    7   1   2  110.000000    0.016000\n"
                                              "    8   1   2  110.000000    0.016000\n"
                                              "    8   1   7  109.500000    0.024000\n"
                                              "    9   1   2  110.000000    0.016000\n"
                                              "    9   1   7  109.500000    0.024000\n"
                                              "    9   1   8  109.500000    0.024000\n"
                                              "   10   5   4  110.000000    0.020000\n"
                                              "   11   5   4  110.000000    0.020000\n"
                                              "   11   5  10  109.500000    0.024000\n"
                                              "   12   5   4  110.000000    0.020000\n"
                                              "   12   5  10  109.500000    0.024000\n"
                                              "   12   5  11  109.500000    0.024000\n"
                                              "  Torsion Parameters\n"
                                              "    5   4   2   1    6.460000    -2\n"
                                              "    5   4   2   3    6.460000    -2\n"
                                              "    6   4   2   1    6.460000    -2\n"
                                              "    6   4   2   3    6.460000    -2\n"
                                              "    7   1   2   3    0.274000     3\n"
                                              "    7   1   2   4    0.274000     3\n"
                                              "    8   1   2   3    0.274000     3\n"
                                              "    8   1   2   4    0.274000     3\n"
                                              "    9   1   2   3    0.274000     3\n"
                                              "    9   1   2   4    0.274000     3\n"
                                              "   10   5   4   2    0.200000     3\n"
                                              "   10   5   4   6    0.200000     3\n"
                                              "   11   5   4   2    0.200000     3\n"
                                              "   11   5   4   6    0.200000     3\n"
                                              "   12   5   4   2    0.200000     3\n"
                                              "   12   5   4   6    0.200000     3\n"
                                              "  Out-of-Plane Bend Parameters\n"
                                              "    2     1   3   4  480.000000\n"
                                              "    4     2   5   6  120.000000\n");
}

TEST(Ffsetup, ListsOutOfPlaneBendsAndNothingBelowPrintFour) {
  const std::vector<double> xyz = {0.0, 0.0, 0.0, 1.34, 0.0, 0.0, -0.6, 0.9, 0.0, -0.6, -0.9, 0.0};
  const std::vector<int> types = {2, 2, 13, 13};
  const std::vector<std::tuple<int, int, int>> bonds = {{1, 2, 2}, {1, 3, 1}, {1, 4, 1}};
  EXPECT_EQ(Molecule(xyz, types, bonds, 3).listing, "");
  const std::string listing = Molecule(xyz, types, bonds, 4).listing;
  EXPECT_NE(listing.find("  Out-of-Plane Bend Parameters\n"
                         "    1     2   3   4  480.000000\n"),
            std::string::npos)
      << listing;
  EXPECT_EQ(listing.find("Torsion"), std::string::npos);
}

} // namespace
