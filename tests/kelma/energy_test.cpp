#include "kelma/energy.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "kelma/parameters.hpp"
#include "kelma/units.hpp"

namespace {

// A molecule whose force-field arrays are filled by hand, so that each term can be set alone; its
// listing stays in memory.
struct HandMolecule {
  std::unique_ptr<common::RunContext> units =
      std::make_unique<common::RunContext>("", common::UnitsTo::memory);
  int natoms;
  std::vector<double> xyz;
  std::vector<int> itype;
  std::vector<int> conn;
  kelma::ForceFieldArrays ff;
  double vdwc = 8.0;
  int print = 0;

  HandMolecule(int n, std::vector<double> coords, std::vector<int> types)
      : natoms(n), xyz(std::move(coords)), itype(std::move(types)),
        conn(static_cast<std::size_t>(n * n), 0) {
    ff.dist.assign(conn.size(), 0.0);
    ff.r0.assign(conn.size(), 0.0);
    ff.kpair.assign(conn.size(), 0.0);
  }
  std::size_t at(int i, int j) const { return static_cast<std::size_t>(i - 1 + (j - 1) * natoms); }
  // Pair data are symmetric.
  void bond(int i, int j, int code, double r0, double k) {
    conn[at(i, j)] = conn[at(j, i)] = code;
    ff.r0[at(i, j)] = ff.r0[at(j, i)] = r0;
    ff.kpair[at(i, j)] = ff.kpair[at(j, i)] = k;
  }
  void pair(int i, int j, double depth) { ff.kpair[at(i, j)] = ff.kpair[at(j, i)] = depth; }
  void add_bend(int a, int b, int c, double theta0, double k) {
    auto& l = ff.bends;
    l.i.push_back(a);
    l.j.push_back(b);
    l.k.push_back(c);
    l.theta0.push_back(theta0);
    l.kbend.push_back(k);
    ++ff.counts.nbend;
  }
  void add_entry(int a, int b, int c, int d, double v, int n) {
    auto& l = ff.torsions;
    l.a.push_back(a);
    l.b.push_back(b);
    l.c.push_back(c);
    l.d.push_back(d);
    l.n.push_back(n);
    l.v.push_back(v);
  }
  // Torsions first, then the out-of-plane entries, as the list holds them.
  void add_torsion(int a, int b, int c, int d, double v, int n) {
    add_entry(a, b, c, d, v, n);
    ++ff.counts.ntors;
  }
  void add_oop(int p, int b, int c, int d, double k) {
    add_entry(p, b, c, d, k, 0);
    ++ff.counts.noop;
  }
  double energy() { return kelma::ffener(*units, natoms, vdwc, print, xyz, itype, conn, ff); }
  double energy_grad(std::vector<double>& g) {
    g.assign(xyz.size(), 1.0);
    return kelma::ffegrad(*units, natoms, vdwc, print, xyz, itype, conn, ff, g);
  }
};

// The analytic gradient against central differences of the energy.
void expect_gradient_matches_differences(HandMolecule& m) {
  std::vector<double> g;
  m.energy_grad(g);
  double largest = 0.0;
  for (double v : g)
    largest = std::max(largest, std::abs(v));
  ASSERT_GT(largest, 1.0);
  constexpr double h = 1e-5;
  for (std::size_t k = 0; k < m.xyz.size(); ++k) {
    const double x = m.xyz[k];
    m.xyz[k] = x + h;
    const double up = m.energy();
    m.xyz[k] = x - h;
    const double down = m.energy();
    m.xyz[k] = x;
    EXPECT_NEAR(g[k], (up - down) / (2 * h), 1e-8 * largest) << "coordinate " << k;
  }
}

// Type-1 radius as the table holds it (1.7 widened from single precision).
constexpr double radius_type1 = 1.7000000476837158;

TEST(StretchTerm, BondAtAndAwayFromItsReferenceLength) {
  HandMolecule m(2, {0, 0, 0, 1.38, 0, 0}, {4, 4});
  m.bond(1, 2, 1, 1.38, 700.0);
  std::vector<double> g;
  EXPECT_EQ(m.energy_grad(g), 0.0);
  for (double v : g)
    EXPECT_EQ(v, 0.0);

  m.xyz[3] = 1.48;
  EXPECT_NEAR(m.energy(), 3.5, 1e-12);
  m.energy_grad(g);
  EXPECT_NEAR(g[3], 70.0, 1e-10); // k (r - r0)
  EXPECT_NEAR(g[0], -70.0, 1e-10);
}

TEST(PairTerms, NothingBeyondTheCutOffEvenWhenBonded) {
  HandMolecule m(2, {0, 0, 0, 1.48, 0, 0}, {4, 4});
  m.bond(1, 2, 1, 1.38, 700.0);
  m.vdwc = 1.4;
  std::vector<double> g;
  EXPECT_EQ(m.energy_grad(g), 0.0);
  for (double v : g)
    EXPECT_EQ(v, 0.0);
}

TEST(VanDerWaalsTerm, MinimumAtTheRadiusSumAndWallInside) {
  const double r = 2.0 * radius_type1;
  HandMolecule m(2, {0, 0, 0, 0, r, 0}, {1, 1});
  m.pair(1, 2, 0.107);
  std::vector<double> g;
  EXPECT_NEAR(m.energy_grad(g), -0.107, 1e-15);
  for (double v : g)
    EXPECT_NEAR(v, 0.0, 1e-14);

  m.xyz[4] = r / 2;
  EXPECT_NEAR(m.energy(), 0.107 * (4096 - 128), 1e-10);
}

// Four atoms with a torsion a-b-c-d of dihedral phi (degrees) about the z axis, no other term.
HandMolecule torsion_at(double phi_degrees, double v, int n) {
  const double phi = (45 + phi_degrees) / kelma::degrees_per_radian;
  HandMolecule m(4,
                 {1.0, 1.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.5, //
                  std::cos(phi), std::sin(phi), 1.5},
                 {1, 1, 1, 1});
  m.add_torsion(1, 2, 3, 4, v, n);
  return m;
}

TEST(TorsionTerm, ThreefoldAndTwofoldValues) {
  EXPECT_NEAR(torsion_at(180, 0.5, 3).energy(), 0.0, 1e-14);
  EXPECT_NEAR(torsion_at(0, 0.5, 3).energy(), 0.5, 1e-14);
  EXPECT_NEAR(torsion_at(0, 12.5, -2).energy(), 0.0, 1e-13);
  EXPECT_NEAR(torsion_at(180, 12.5, -2).energy(), 0.0, 1e-13);
  EXPECT_NEAR(torsion_at(90, 12.5, -2).energy(), 12.5, 1e-12);
  EXPECT_NEAR(torsion_at(-90, 12.5, -2).energy(), 12.5, 1e-12);
}

TEST(TorsionTerm, SkippedWhenABondAngleIsStraight) {
  HandMolecule m(4, {-1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 1, 0}, {1, 1, 1, 1});
  m.add_torsion(1, 2, 3, 4, 12.5, -2);
  std::vector<double> g;
  EXPECT_EQ(m.energy_grad(g), 0.0);
  for (double v : g)
    EXPECT_EQ(v, 0.0);
}

TEST(BendTerm, CollinearBendKeepsItsEnergyButHasNoGradient) {
  HandMolecule m(3, {-1.1, 0, 0, 0, 0, 0, 1.3, 0, 0}, {1, 1, 1});
  m.add_bend(1, 2, 3, 109.5, 0.02);
  std::vector<double> g;
  EXPECT_NEAR(m.energy_grad(g), 0.02 * (180 - 109.5) * (180 - 109.5) / 2, 1e-9);
  for (double v : g)
    EXPECT_EQ(v, 0.0);
}

TEST(BendTerm, RightAngle) {
  HandMolecule m(3, {1, 0, 0, 0, 0, 0, 0, 2, 0}, {1, 1, 1});
  m.add_bend(1, 2, 3, 100.0, 0.04);
  // The angle constant is not exactly 180/pi, so a right angle reads 90.0000000028 degrees.
  const double delta = std::acos(0.0) * kelma::degrees_per_radian - 100.0;
  EXPECT_NEAR(m.energy(), 0.04 * delta * delta / 2, 1e-14);
}

// Centre 1 over the neighbours 2, 3, 4 in the plane z = 0, whose normal (3-2) x (4-2) points
// along +z; the term counts only below the plane, where t = m.(b - p) is positive.
HandMolecule oop_at(double z) {
  HandMolecule m(4, {0.1, 0.2, z, 1, 0, 0, 0, 1, 0, -1, -1, 0}, {2, 1, 1, 1});
  m.add_oop(1, 2, 3, 4, 480.0);
  return m;
}

TEST(OutOfPlaneTerm, CountsOnlyOnTheSideWherePositive) {
  EXPECT_EQ(oop_at(0.0).energy(), 0.0);
  EXPECT_EQ(oop_at(0.2).energy(), 0.0);
  EXPECT_NEAR(oop_at(-0.2).energy(), 480.0 * 0.04 / 2, 1e-12);
  std::vector<double> g;
  oop_at(0.2).energy_grad(g);
  for (double v : g)
    EXPECT_EQ(v, 0.0);
}

// One molecule with every kind of term away from its minimum, in a general geometry.
HandMolecule every_term() {
  HandMolecule m(6,
                 {0.05, -0.02, 0.11, 1.31, 0.12, -0.08, -0.62, 1.18, 0.07, -0.55, -0.97, -0.21,
                  2.02, 1.21, 0.35, 2.10, -0.85, -0.43},
                 {2, 1, 13, 13, 8, 13});
  m.bond(1, 2, 1, 1.501, 639.0);
  m.bond(1, 3, 1, 1.089, 692.0);
  m.bond(1, 4, 1, 1.089, 692.0);
  m.bond(2, 5, 1, 1.43, 618.9);
  m.bond(2, 6, 1, 1.1, 662.4);
  m.pair(3, 5, 0.07);
  m.pair(4, 6, 0.042);
  m.pair(5, 6, 0.11);
  m.add_bend(2, 1, 3, 120.0, 0.024);
  m.add_bend(3, 1, 4, 117.0, 0.02);
  m.add_bend(1, 2, 5, 109.5, 0.022);
  m.add_torsion(3, 1, 2, 5, 0.12, -3);
  m.add_torsion(4, 1, 2, 6, 1.424, -2);
  m.add_torsion(3, 1, 2, 6, 0.2, 3);
  m.add_torsion(4, 1, 2, 5, 0.7, 1);
  m.add_oop(1, 2, 3, 4, 480.0);
  return m;
}

TEST(Gradient, MatchesCentralDifferencesForEveryTerm) {
  HandMolecule m = every_term();
  // The out-of-plane centre must be on its counted side for the test to cover it.
  for (double z : {-0.3, 0.11}) {
    m.xyz[2] = z;
    expect_gradient_matches_differences(m);
  }
}

TEST(EnergyRoutines, CoincidentAtomsGiveFiniteValues) {
  HandMolecule m = every_term();
  for (int k = 0; k < 3; ++k)
    m.xyz[3 + k] = m.xyz[k];
  for (int k = 0; k < 3; ++k)
    m.xyz[15 + k] = m.xyz[12 + k];
  std::vector<double> g;
  EXPECT_TRUE(std::isfinite(m.energy()));
  EXPECT_TRUE(std::isfinite(m.energy_grad(g)));
  EXPECT_TRUE(std::all_of(g.begin(), g.end(), [](double v) { return std::isfinite(v); }));
}

TEST(EnergyListing, SixLinesAfterAnEmptyLineAbovePrintTwo) {
  HandMolecule m(2, {0, 0, 0, 1.48, 0, 0}, {4, 4});
  m.bond(1, 2, 1, 1.38, 700.0);
  m.print = 2;
  m.energy();
  EXPECT_EQ(m.units->text(common::listing_unit), "");
  m.print = 3;
  std::vector<double> g;
  m.energy_grad(g);
  EXPECT_EQ(m.units->text(common::listing_unit), "\n"
                                                 " TOTAL ENERGY            3.50000000\n"
                                                 " Stretching              3.50000000\n"
                                                 " Bending                 0.00000000\n"
                                                 " Out-of-Plane Bend       0.00000000\n"
                                                 " Torsion                 0.00000000\n"
                                                 " VdW energy              0.00000000\n");
}

} // namespace
