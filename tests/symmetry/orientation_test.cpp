#include "symmetry/orientation.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "symmetry/classified_groups.hpp"
#include "symmetry/operation_builders.hpp"

namespace {

using symmetry::Operation;

using namespace test_support;

constexpr double thrsym = 0.01;

// An arbitrary orientation for molecules that are not in their standard frame.
const Operation turn = rotation(unit(0.3, -0.5, 0.8), 0.7);

Operation conjugate(const Operation& q, const Operation& r) {
  const Operation qt{q[0], q[3], q[6], q[1], q[4], q[7], q[2], q[5], q[8]};
  Operation qr;
  Operation result;
  symmetry::mult3(q, r, qr);
  symmetry::mult3(qr, qt, result);
  return result;
}

// Every atom of xyz turned by r.
std::vector<double> turned(const std::vector<double>& xyz, const Operation& r = turn) {
  std::vector<double> out(xyz.size());
  for (std::size_t a = 0; a < xyz.size(); a += 3) {
    for (int i = 0; i < 3; ++i) {
      out[a + i] = r[i] * xyz[a] + r[i + 3] * xyz[a + 1] + r[i + 6] * xyz[a + 2];
    }
  }
  return out;
}

void expect_near(const std::vector<double>& a, const std::vector<double>& b, double tol) {
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t k = 0; k < a.size(); ++k)
    EXPECT_NEAR(a[k], b[k], tol) << k;
}

// A CH2F2-like molecule: the two-fold axis along z, the hydrogens in the plane y = 0, the
// fluorines in the plane x = 0.
const std::vector<double> ch2f2{0.0, 0.0, 0.1, 0.9,  0.0, 0.6,  -0.9, 0.0,
                                0.6, 0.0, 1.1, -0.5, 0.0, -1.1, -0.5};

// det(r_a, r_b, r_c) of three atoms: changes sign when a frame is left-handed.
double triple(const std::vector<double>& xyz, int a, int b, int c) {
  const double* p = &xyz[3 * a];
  const double* q = &xyz[3 * b];
  const double* r = &xyz[3 * c];
  return p[0] * (q[1] * r[2] - q[2] * r[1]) - p[1] * (q[0] * r[2] - q[2] * r[0]) +
         p[2] * (q[0] * r[1] - q[1] * r[0]);
}

TEST(Adjust1, StandardFrameChangesNothing) {
  const Classified c2v = classify({rotation(ez, pi), reflection(ex)});
  ASSERT_EQ(c2v.label, "c2v ");
  std::vector<double> xyz = ch2f2;
  Operation followed = symmetry::identity_operation;
  EXPECT_EQ(symmetry::adjust1(c2v.group, c2v.axes, xyz, 5, c2v.refs,
                              symmetry::make_thresholds(thrsym), followed),
            symmetry::Status::ok);
  EXPECT_EQ(xyz, ch2f2);
  EXPECT_EQ(followed, symmetry::identity_operation);
}

TEST(Adjust1, TurnedC2vComesBackOnTheAxes) {
  const Classified c2v =
      classify({conjugate(turn, rotation(ez, pi)), conjugate(turn, reflection(ex))});
  ASSERT_EQ(c2v.label, "c2v ");
  std::vector<double> xyz = turned(ch2f2);
  // The molecule came to the search turned already: followed starts from that turn, as in a
  // second search, and ends taking the first coordinates to the last.
  Operation followed = turn;
  ASSERT_EQ(symmetry::adjust1(c2v.group, c2v.axes, xyz, 5, c2v.refs,
                              symmetry::make_thresholds(thrsym), followed),
            symmetry::Status::ok);
  expect_near(turned(ch2f2, followed), xyz, 1e-12);
  // The carbon on z; the normal of the reference plane (the fluorines' plane) became y, so the
  // fluorines lie in y = 0 and the hydrogens in x = 0; the frame is right-handed.
  EXPECT_NEAR(std::hypot(xyz[0], xyz[1]), 0.0, 1e-12);
  EXPECT_NEAR(std::fabs(xyz[4]), 0.9, 1e-12);
  EXPECT_NEAR(std::fabs(xyz[9]), 1.1, 1e-12);
  for (int k : {3, 6, 10, 13})
    EXPECT_NEAR(xyz[k], 0.0, 1e-12) << k;
  EXPECT_NEAR(xyz[5], xyz[8], 1e-12);
  EXPECT_NEAR(xyz[11], xyz[14], 1e-12);
  EXPECT_NEAR(triple(xyz, 1, 2, 3), triple(ch2f2, 1, 2, 3), 1e-12);
}

TEST(Adjust1, TurnedD2ComesBackOnItsTwoFoldAxes) {
  const Classified d2 =
      classify({conjugate(turn, rotation(ez, pi)), conjugate(turn, rotation(ex, pi))});
  ASSERT_EQ(d2.label, "d2  ");
  // The images of one atom under D2: a chiral set, so a left-handed frame would show.
  const std::vector<double> orbit{0.3, 0.5, 0.7, 0.3, -0.5, -0.7, -0.3, 0.5, -0.7, -0.3, -0.5, 0.7};
  std::vector<double> xyz = turned(orbit);
  Operation followed = symmetry::identity_operation;
  ASSERT_EQ(symmetry::adjust1(d2.group, d2.axes, xyz, 4, d2.refs, symmetry::make_thresholds(thrsym),
                              followed),
            symmetry::Status::ok);
  expect_near(turned(turned(orbit), followed), xyz, 1e-12);
  for (std::size_t k = 0; k < xyz.size(); ++k)
    EXPECT_NEAR(std::fabs(xyz[k]), orbit[k % 3], 1e-12);
  EXPECT_NEAR(triple(xyz, 0, 1, 2), triple(orbit, 0, 1, 2), 1e-12);
}

TEST(Adjust1, TurnedOctahedronComesBackOnTheAxes) {
  const Operation c3 = rotation(unit(1.0, 1.0, 1.0), 2.0 * pi / 3.0);
  const Classified oh =
      classify({conjugate(turn, rotation(ez, pi / 2.0)), conjugate(turn, c3), inversion});
  ASSERT_EQ(oh.label, "oh  ");
  std::vector<double> xyz = turned({1, 0, 0, -1, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 1, 0, 0, -1});
  Operation followed = symmetry::identity_operation;
  ASSERT_EQ(symmetry::adjust1(oh.group, oh.axes, xyz, 6, oh.refs, symmetry::make_thresholds(thrsym),
                              followed),
            symmetry::Status::ok);
  for (int a = 0; a < 6; ++a) {
    int on_axis = 0;
    for (int i = 0; i < 3; ++i)
      on_axis += std::fabs(xyz[3 * a + i]) < 1e-12 ? 1 : 0;
    EXPECT_EQ(on_axis, 2) << "atom " << a + 1;
  }
}

TEST(Adjust1, ReferencesThatGiveNoFrame) {
  const Classified c2v = classify({rotation(ez, pi), reflection(ex)});
  const std::vector<double> start = turned(ch2f2);
  std::vector<double> xyz = start;
  Operation followed = symmetry::identity_operation;
  symmetry::References none;
  EXPECT_EQ(symmetry::adjust1(c2v.group, c2v.axes, xyz, 5, none, symmetry::make_thresholds(thrsym),
                              followed),
            symmetry::Status::ok);
  symmetry::References both{.z = 2, .bisector = 3, .in_plane = 4};
  EXPECT_EQ(symmetry::adjust1(c2v.group, c2v.axes, xyz, 5, both, symmetry::make_thresholds(thrsym),
                              followed),
            symmetry::Status::conflicting_references);
  // The normal of a plane perpendicular to the two-fold axis has no part in the xy plane.
  const Classified c2h = classify({rotation(ez, pi), reflection(ez)});
  symmetry::References parallel{.z = 2, .in_plane = 3};
  ASSERT_EQ(c2h.codes[2], -1);
  EXPECT_EQ(symmetry::adjust1(c2h.group, c2h.axes, xyz, 5, parallel,
                              symmetry::make_thresholds(thrsym), followed),
            symmetry::Status::degenerate_reference);
  EXPECT_EQ(xyz, start);
  EXPECT_EQ(followed, symmetry::identity_operation);
}

} // namespace
