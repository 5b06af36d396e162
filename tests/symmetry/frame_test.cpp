#include "symmetry/frame.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "support/channel_capture.hpp"

namespace {

using symmetry::erduw;
using symmetry::lipl;
using symmetry::rshell;

const std::string zero_matrix_warning =
    " **WARNING** in SYMMETRY module\n   Attempting to Diagonalize Zero Matrix\n";

std::array<double, 9> unit_matrix() { return {1, 0, 0, 0, 1, 0, 0, 0, 1}; }

// Full symmetric matrix from the packed upper triangle of order 3.
std::array<double, 9> unpack3(const std::array<double, 6>& p) {
  return {p[0], p[1], p[3], p[1], p[2], p[4], p[3], p[4], p[5]};
}

double dot3(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

TEST(Erduw, DiagonalisesAKnownMatrix) {
  // The second-difference matrix of order 3 has the eigenvalues 2 - sqrt 2, 2, 2 + sqrt 2.
  const std::array<double, 6> start{2, -1, 2, 0, -1, 2};
  std::array<double, 6> a = start;
  std::array<double, 9> v = unit_matrix();
  test_support::ChannelCapture capture;
  EXPECT_EQ(erduw(a, v, 3, 1.0e-10), 0);
  EXPECT_EQ(capture.listing(), "");

  std::array<double, 3> values{a[0], a[2], a[5]};
  EXPECT_NEAR(std::fabs(a[1]) + std::fabs(a[3]) + std::fabs(a[4]), 0.0, 1.0e-9);
  const std::array<double, 9> m = unpack3(start);
  for (int k = 0; k < 3; ++k) {
    const double* vk = &v[3 * k];
    EXPECT_NEAR(dot3(vk, vk), 1.0, 1.0e-12);
    for (int i = 0; i < 3; ++i) {
      const double mv = m[i] * vk[0] + m[i + 3] * vk[1] + m[i + 6] * vk[2];
      EXPECT_NEAR(mv, values[k] * vk[i], 1.0e-9) << "eigenvector " << k;
    }
  }
  std::sort(values.begin(), values.end());
  EXPECT_NEAR(values[0], 2.0 - std::sqrt(2.0), 1.0e-12);
  EXPECT_NEAR(values[1], 2.0, 1.0e-12);
  EXPECT_NEAR(values[2], 2.0 + std::sqrt(2.0), 1.0e-12);
}

TEST(Erduw, ZeroMatrixWarnsAndLeavesEverything) {
  std::array<double, 6> a{};
  std::array<double, 9> v = unit_matrix();
  test_support::ChannelCapture capture;
  EXPECT_EQ(erduw(a, v, 3, 1.0e-10), 0);
  EXPECT_EQ(capture.listing(), zero_matrix_warning);
  EXPECT_EQ(v, unit_matrix());
}

TEST(Erduw, OneByOneIsAlreadyDiagonal) {
  std::array<double, 1> a{-3.5};
  std::array<double, 1> v{1.0};
  test_support::ChannelCapture capture;
  EXPECT_EQ(erduw(a, v, 1, 1.0e-10), 0);
  EXPECT_EQ(a[0], -3.5);
  EXPECT_EQ(v[0], 1.0);
  EXPECT_EQ(capture.listing(), "");
}

TEST(Erduw, ReportsTheSweepLimit) {
  // With eps 0 the final threshold is 0, so every sweep keeps rotating cleared elements.
  std::array<double, 6> a{2, -1, 2, 0, -1, 2};
  std::array<double, 9> v = unit_matrix();
  test_support::ChannelCapture capture;
  EXPECT_EQ(erduw(a, v, 3, 0.0), 1);
  EXPECT_EQ(capture.listing(), " **WARNING** in SYMMETRY module\n"
                               "   Problems attaining Diagonalization threshold\n");
}

TEST(Cms, ShiftsToTheUnweightedCentroid) {
  std::vector<double> xyz{1, 2, 3, 3, 2, 1, 5, 5, 5, -1, -1, -1};
  double cx = 0, cy = 0, cz = 0;
  symmetry::cms(4, cx, cy, cz, xyz);
  EXPECT_EQ(cx, 2.0);
  EXPECT_EQ(cy, 2.0);
  EXPECT_EQ(cz, 2.0);
  EXPECT_EQ(xyz, (std::vector<double>{-1, 0, 1, 1, 0, -1, 3, 3, 3, -3, -3, -3}));
}

struct Shape {
  double line[3];
  double normal[3];
  double line_dev = -1;
  double plane_dev = -1;
};

Shape shape_of(const std::vector<double>& xyz) {
  Shape s;
  lipl(xyz, static_cast<int>(xyz.size() / 3), s.line, s.normal, s.line_dev, s.plane_dev);
  return s;
}

TEST(Lipl, LineInArbitraryOrientation) {
  const double d[3] = {1.0 / 3, 2.0 / 3, 2.0 / 3};
  std::vector<double> xyz;
  for (double t : {-2.0, -0.5, 1.0, 1.5}) {
    for (double c : d)
      xyz.push_back(t * c);
  }
  const Shape s = shape_of(xyz);
  EXPECT_NEAR(s.line_dev, 0.0, 1.0e-12);
  EXPECT_NEAR(std::fabs(dot3(s.line, d)), 1.0, 1.0e-12);
  EXPECT_NEAR(s.plane_dev, 0.0, 1.0e-12); // a line lies in a plane as well
}

TEST(Lipl, PlaneInArbitraryOrientation) {
  // In-plane unit vectors a and b of the plane with normal n = (2, 3, 6) / 7.
  const double n[3] = {2.0 / 7, 3.0 / 7, 6.0 / 7};
  const double a[3] = {3.0 / std::sqrt(13.0), -2.0 / std::sqrt(13.0), 0.0};
  const double b[3] = {n[1] * a[2] - n[2] * a[1], n[2] * a[0] - n[0] * a[2],
                       n[0] * a[1] - n[1] * a[0]};
  std::vector<double> xyz;
  for (auto [p, q] : {std::pair{1.0, 0.0}, {-0.5, 1.2}, {-0.5, -1.2}, {0.0, 0.0}}) {
    for (int k = 0; k < 3; ++k)
      xyz.push_back(p * a[k] + q * b[k]);
  }
  const Shape s = shape_of(xyz);
  EXPECT_NEAR(s.plane_dev, 0.0, 1.0e-12);
  EXPECT_NEAR(std::fabs(dot3(s.normal, n)), 1.0, 1.0e-12);
  EXPECT_GT(s.line_dev, 1.0);
}

TEST(Lipl, GeneralShapeGivesBothSumsOfSquares) {
  // Axis pairs at 3, 2 and 1: moments diag(18, 8, 2).
  const Shape s = shape_of({3, 0, 0, -3, 0, 0, 0, 2, 0, 0, -2, 0, 0, 0, 1, 0, 0, -1});
  EXPECT_EQ(s.line_dev, 10.0);
  EXPECT_EQ(s.plane_dev, 2.0);
  EXPECT_EQ(std::fabs(s.line[0]), 1.0);
  EXPECT_EQ(std::fabs(s.normal[2]), 1.0);
}

TEST(Lipl, SingleAtomWarnsAndKeepsTheIdentity) {
  test_support::ChannelCapture capture;
  const Shape s = shape_of({0, 0, 0});
  EXPECT_EQ(capture.listing(), zero_matrix_warning);
  EXPECT_EQ(s.line_dev, 0.0);
  EXPECT_EQ(s.plane_dev, 0.0);
  EXPECT_EQ(s.line[0], 1.0);
  EXPECT_EQ(s.normal[0], 1.0);
}

TEST(Frame, E1E2E3CompletesARightHandedFrame) {
  double e1[3], e2[3];
  const double x[3] = {1, 0, 0};
  ASSERT_EQ(symmetry::e1e2e3(e1, e2, x), 0);
  EXPECT_EQ(std::vector<double>(e1, e1 + 3), (std::vector<double>{0, 1, 0}));
  EXPECT_EQ(std::vector<double>(e2, e2 + 3), (std::vector<double>{0, 0, 1}));

  const double e3[3] = {2.0 / 7, -3.0 / 7, 6.0 / 7};
  ASSERT_EQ(symmetry::e1e2e3(e1, e2, e3), 0);
  EXPECT_NEAR(dot3(e1, e1), 1.0, 1e-15);
  EXPECT_NEAR(dot3(e2, e2), 1.0, 1e-15);
  EXPECT_NEAR(dot3(e1, e3), 0.0, 1e-15);
  EXPECT_NEAR(dot3(e2, e3), 0.0, 1e-15);
  const double m[9] = {e1[0], e1[1], e1[2], e2[0], e2[1], e2[2], e3[0], e3[1], e3[2]};
  EXPECT_NEAR(symmetry::deter(m), 1.0, 1e-15);

  // traxyz takes the frame's own axes onto x, y and z.
  std::vector<double> xyz{e1[0], e1[1], e1[2], e3[0], e3[1], e3[2]};
  symmetry::traxyz(xyz, e1, e2, e3, 2);
  const std::vector<double> expected{1, 0, 0, 0, 0, 1};
  for (int k = 0; k < 6; ++k)
    EXPECT_NEAR(xyz[k], expected[k], 1e-15);
}

TEST(Frame, GetdisNeedsAtoms) {
  std::vector<double> dist(2);
  EXPECT_EQ(symmetry::getdis(std::vector<double>{3, 4, 0, 0, 0, -2}, dist, 2), 0);
  EXPECT_EQ(dist, (std::vector<double>{5, 2}));
  EXPECT_EQ(symmetry::getdis({}, dist, 0), -1);
}

struct Shells {
  std::vector<double> positions;
  std::vector<std::string> symbols;
  std::vector<double> distances;
  std::vector<int> numbers;
  std::vector<int> sizes;
  int count = 0;
};

// Atoms on the x axis at the given distances, so that position and distance identify them.
Shells shells_of(const std::vector<std::string>& symbols, const std::vector<double>& dist,
                 double tol) {
  const std::size_t n = symbols.size();
  std::vector<double> xyz;
  for (double d : dist)
    xyz.insert(xyz.end(), {d, 0.0, 0.0});
  Shells s{std::vector<double>(3 * n), std::vector<std::string>(n), dist, std::vector<int>(n),
           std::vector<int>(n)};
  s.count = rshell(xyz, symbols, static_cast<int>(n), tol,
                   {s.positions, s.symbols, s.distances, s.numbers, s.sizes});
  return s;
}

TEST(Rshell, SortsBySymbolThenDistance) {
  const std::string c = "C       ", h = "H       ", o = "O       ";
  const Shells s = shells_of({h, c, o, h, c}, {1.1, 1.5, 1.2, 1.0, 0.5}, 0.005);
  EXPECT_EQ(s.symbols, (std::vector<std::string>{c, c, h, h, o}));
  EXPECT_EQ(s.distances, (std::vector<double>{0.5, 1.5, 1.0, 1.1, 1.2}));
  EXPECT_EQ(s.positions[3 * 2], 1.0); // positions travel with their atoms
  EXPECT_EQ(s.count, 5);
  EXPECT_EQ(s.numbers, (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST(Rshell, ElementsSplitShellsAtEqualDistance) {
  const std::string c = "C       ", h = "H       ";
  const Shells s = shells_of({h, c, h, c}, {1.0, 1.0, 1.0, 1.0}, 0.005);
  EXPECT_EQ(s.count, 2);
  EXPECT_EQ(s.numbers, (std::vector<int>{1, 1, 2, 2}));
  EXPECT_EQ(std::vector<int>(s.sizes.begin(), s.sizes.begin() + 2), (std::vector<int>{2, 2}));
}

TEST(Rshell, ShellsChainThroughNeighbours) {
  // Each step is below the tolerance 0.05, the whole run 1.00 .. 1.08 is not; 1.20 starts anew.
  const std::string h = "H       ";
  const Shells s = shells_of({h, h, h, h, h}, {1.08, 1.2, 1.0, 1.04, 1.05 + 1.0}, 0.05);
  EXPECT_EQ(s.distances, (std::vector<double>{1.0, 1.04, 1.08, 1.2, 2.05}));
  EXPECT_EQ(s.count, 3);
  EXPECT_EQ(s.numbers, (std::vector<int>{1, 1, 1, 2, 3}));
  EXPECT_EQ(std::vector<int>(s.sizes.begin(), s.sizes.begin() + 3), (std::vector<int>{3, 1, 1}));
}

TEST(Rshell, EqualKeysKeepTheirInputOrder) {
  const std::string h = "H       ";
  std::vector<double> xyz{0, 1, 0, 1, 0, 0, 0, 0, 1};
  std::vector<double> dist{1, 1, 1};
  std::vector<double> positions(9);
  std::vector<std::string> symbols(3);
  std::vector<int> numbers(3), sizes(3);
  EXPECT_EQ(rshell(xyz, std::vector<std::string>{h, h, h}, 3, 0.01,
                   {positions, symbols, dist, numbers, sizes}),
            1);
  EXPECT_EQ(positions, xyz);
  EXPECT_EQ(sizes[0], 3);
}

} // namespace
