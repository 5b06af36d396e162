// The deviation of a run's answer from the atoms as given, on molecules distorted by hand so that
// the symmetrised places, the displacements and the worst image follow from the distortion alone.
#include "symmetry/deviation.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/run_context.hpp"
#include "symmetry/driver.hpp"

namespace {

const std::string c = "C       ", h = "H       ", n = "N       ", o = "O       ";

symmetry::SymmetryResult run(std::vector<double> xyz, std::vector<std::string> symbols,
                             double thrsym) {
  symmetry::SymmetryInput in;
  in.natoms = static_cast<int>(symbols.size());
  in.thrsym = thrsym;
  in.xyz = std::move(xyz);
  in.symbols = std::move(symbols);
  common::RunContext quiet("", common::UnitsTo::nowhere);
  return symmetry::run_symmetry_on_input(quiet, in);
}

// 100 times the squared displacements over the squared distances from the centroid.
double csm(double moved_squared, const std::vector<double>& xyz) {
  const std::size_t atoms = xyz.size() / 3;
  double centre[3] = {0, 0, 0};
  for (std::size_t i = 0; i < atoms; ++i)
    for (int axis = 0; axis < 3; ++axis)
      centre[axis] += xyz[3 * i + axis] / static_cast<double>(atoms);
  double spread = 0.0;
  for (std::size_t i = 0; i < atoms; ++i)
    for (int axis = 0; axis < 3; ++axis)
      spread += (xyz[3 * i + axis] - centre[axis]) * (xyz[3 * i + axis] - centre[axis]);
  return 100.0 * moved_squared / spread;
}

TEST(Deviation, WaterWithOneHydrogenRaisedAndTheOtherLowered) {
  // C2v keeps the axis (the midpoint of the hydrogens stays on it) and the plane; averaging over
  // the group puts both hydrogens back at the mean height, each d from where it was, and the
  // two-fold axis carries one hydrogen 2 d from the other.
  const double d = 0.01;
  const std::vector<double> xyz{0, 0, 0.1173, 0.7572, 0, -0.4692 + d, -0.7572, 0, -0.4692 - d};
  const symmetry::SymmetryResult r = run(xyz, {o, h, h}, 0.05);
  ASSERT_EQ(r.label, "c2v ");
  EXPECT_NEAR(r.deviation.rms, d * std::sqrt(2.0 / 3.0), 1e-12);
  EXPECT_NEAR(r.deviation.largest, d, 1e-12);
  EXPECT_NEAR(r.deviation.image, 2.0 * d, 1e-12);
  EXPECT_NEAR(r.deviation.csm, csm(2.0 * d * d, xyz), 1e-10);
  // 9 coordinates, 3 of them totally symmetric (two internal ones and z).
  EXPECT_EQ(r.deviation.constraints, 6);
}

TEST(Deviation, AmmoniaWithOneHydrogenLowered) {
  // Lowering one hydrogen by d moves the centroid down by d / 4 and leaves the other two a pair
  // about the axis, from which the search takes it. From the centroid the hydrogens stand at
  // -3d/4, d/4 and d/4; C3v puts them at their mean, -d/12, so one moves 2d/3 and two d/3. The
  // turns carry a raised hydrogen onto the lowered one's place, d from it.
  const double d = 0.02, rho = 0.9377, z = -0.0837;
  const double pi = std::acos(-1.0);
  std::vector<double> xyz{0, 0, 0.2790};
  for (int k = 0; k < 3; ++k)
    xyz.insert(xyz.end(), {rho * std::cos(2 * pi * k / 3), rho * std::sin(2 * pi * k / 3),
                           k == 0 ? z - d : z});
  const symmetry::SymmetryResult r = run(xyz, {n, h, h, h}, 0.05);
  ASSERT_EQ(r.label, "c3v ");
  EXPECT_NEAR(r.deviation.rms, d / std::sqrt(6.0), 1e-12);
  EXPECT_NEAR(r.deviation.largest, 2.0 * d / 3.0, 1e-12);
  EXPECT_NEAR(r.deviation.image, d, 1e-12);
  EXPECT_NEAR(r.deviation.csm, csm(2.0 * d * d / 3.0, xyz), 1e-10);
}

TEST(Deviation, SymmetricAndFallenBackMoleculesMoveNothing) {
  const symmetry::SymmetryResult water =
      run({0, 0, 0.1173, 0.7572, 0, -0.4692, -0.7572, 0, -0.4692}, {o, h, h}, 0.01);
  EXPECT_LT(water.deviation.rms, 1e-12);
  EXPECT_LT(water.deviation.image, 1e-12);
  const symmetry::SymmetryResult scattered =
      run({0, 0, 0, 1.1, 0.2, 0.1, -0.3, 0.9, 0.4, 0.2, -0.5, 1.3}, {o, h, n, c}, 0.01);
  EXPECT_EQ(scattered.label, "c1  ");
  EXPECT_LT(scattered.deviation.rms, 1e-12);
  EXPECT_EQ(scattered.deviation.constraints, 0);
}

} // namespace
