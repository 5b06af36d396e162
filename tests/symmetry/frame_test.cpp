#include "symmetry/frame.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "symmetry/linear_algebra.hpp"

namespace {

using symmetry::lipl;

double dot3(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

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
  symmetry::Status status = symmetry::Status::ok;
};

Shape shape_of(const std::vector<double>& xyz) {
  Shape s;
  s.status = lipl(xyz, static_cast<int>(xyz.size() / 3), s.line, s.normal, s.line_dev, s.plane_dev,
                  1.0e-10);
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

TEST(Lipl, SingleAtomKeepsTheIdentity) {
  const Shape s = shape_of({0, 0, 0});
  EXPECT_EQ(s.status, symmetry::Status::zero_matrix);
  EXPECT_EQ(s.line_dev, 0.0);
  EXPECT_EQ(s.plane_dev, 0.0);
  EXPECT_EQ(s.line[0], 1.0);
  EXPECT_EQ(s.normal[0], 1.0);
}

TEST(Frame, E1E2E3CompletesARightHandedFrame) {
  double e1[3], e2[3];
  const double x[3] = {1, 0, 0};
  ASSERT_EQ(symmetry::e1e2e3(e1, e2, x, 1.0e-6), symmetry::Status::ok);
  EXPECT_EQ(std::vector<double>(e1, e1 + 3), (std::vector<double>{0, 1, 0}));
  EXPECT_EQ(std::vector<double>(e2, e2 + 3), (std::vector<double>{0, 0, 1}));

  const double e3[3] = {2.0 / 7, -3.0 / 7, 6.0 / 7};
  ASSERT_EQ(symmetry::e1e2e3(e1, e2, e3, 1.0e-6), symmetry::Status::ok);
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

} // namespace
