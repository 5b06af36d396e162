#include "symmetry/classify.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/channel_capture.hpp"
#include "symmetry/group.hpp"
#include "symmetry/operation_builders.hpp"
#include "symmetry/orientation.hpp"

namespace {

using symmetry::Axis;
using symmetry::Group;
using symmetry::Operation;

using namespace test_support;

constexpr double thrsym = 0.01;

const Axis tilted = unit(1.0, 2.0, 2.0);
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

std::vector<double> turned(const std::vector<double>& xyz) {
  std::vector<double> out(xyz.size());
  for (std::size_t a = 0; a < xyz.size(); a += 3) {
    for (int i = 0; i < 3; ++i) {
      out[a + i] = turn[i] * xyz[a] + turn[i + 3] * xyz[a + 1] + turn[i + 6] * xyz[a + 2];
    }
  }
  return out;
}

struct Classified {
  Group group;
  std::vector<int> inverse = std::vector<int>(symmetry::max_operations);
  std::vector<int> codes = std::vector<int>(symmetry::max_operations);
  std::vector<Axis> axes = std::vector<Axis>(symmetry::max_operations);
  symmetry::Principal principal;
  symmetry::References refs;
  std::string label = "????";
};

// Closure of the generators, inverses, classification and naming, as the search driver runs
// them.
Classified classify(std::initializer_list<Operation> generators) {
  Classified c;
  c.group = symmetry::make_group(symmetry::make_thresholds(thrsym));
  for (const Operation& r : generators) {
    EXPECT_EQ(symmetry::grpgrp(r, c.group), symmetry::Status::ok);
    c.group.order = c.group.count;
  }
  if (symmetry::syminv(c.group, c.inverse) != symmetry::Status::ok) {
    ADD_FAILURE() << "no inverse";
    return c;
  }
  EXPECT_EQ(symmetry::analys(c.group, c.inverse, c.axes, c.codes, c.principal,
                             symmetry::make_thresholds(thrsym)),
            symmetry::Status::ok);
  EXPECT_EQ(symmetry::ggroup(c.axes, c.codes, c.group.count, c.principal,
                             symmetry::make_thresholds(thrsym), c.refs, c.label),
            symmetry::Status::ok);
  return c;
}

double along(const Axis& a, const Axis& b) {
  return std::fabs(a[0] * b[0] + a[1] * b[1] + a[2] * b[2]);
}

TEST(Ncycle, OrderIsTheFirstPowerAtTheIdentity) {
  EXPECT_EQ(symmetry::ncycle(symmetry::identity_operation, thrsym), 1);
  EXPECT_EQ(symmetry::ncycle(rotation(tilted, pi), thrsym), 2);
  EXPECT_EQ(symmetry::ncycle(rotation(tilted, 4.0 * pi / 7.0), thrsym), 7);
  EXPECT_EQ(symmetry::ncycle(improper(tilted, 2.0 * pi / 3.0), thrsym), 6);
  EXPECT_EQ(symmetry::ncycle(rotation(ez, 2.0 * pi / 99.0), thrsym), 99);
}

TEST(Ncycle, NoOrderBelow100) {
  test_support::ChannelCapture capture;
  EXPECT_EQ(symmetry::ncycle(rotation(tilted, 1.0), thrsym), symmetry::no_cycle);
  EXPECT_EQ(capture.listing(), "");
}

TEST(Analys, CodesAndAxesOfSingleOperations) {
  struct Case {
    const char* name;
    Operation generator;
    int code;
  };
  const std::vector<Case> cases{
      {"inversion", inversion, -2},
      {"mirror", reflection(tilted), -1},
      {"C2", rotation(tilted, pi), 2},
      {"C3", rotation(tilted, 2.0 * pi / 3.0), 3},
      {"C4", rotation(tilted, pi / 2.0), 4},
      {"C6", rotation(tilted, pi / 3.0), 6},
      {"S4", improper(tilted, pi / 2.0), -4},
      {"S6", improper(tilted, pi / 3.0), -6},
      {"S3", improper(tilted, 2.0 * pi / 3.0), -3},
      {"S5", improper(tilted, 2.0 * pi / 5.0), -5},
      {"S8", improper(tilted, pi / 4.0), -8},
  };
  for (const Case& c : cases) {
    const Classified g = classify({c.generator});
    EXPECT_EQ(g.codes[0], 1) << c.name;
    EXPECT_EQ(g.codes[1], c.code) << c.name;
    if (c.code != -2) {
      EXPECT_NEAR(along(g.axes[1], tilted), 1.0, 1e-12) << c.name;
    }
  }
}

TEST(Analys, MutualInversesShareCodeAndAxis) {
  const Classified c3 = classify({rotation(tilted, 2.0 * pi / 3.0)});
  ASSERT_EQ(c3.group.count, 3);
  EXPECT_EQ(c3.codes[1], 3);
  EXPECT_EQ(c3.codes[2], 3);
  EXPECT_EQ(c3.axes[1], c3.axes[2]);
  EXPECT_EQ(c3.principal.proper_code, 3);
  EXPECT_EQ(c3.principal.proper_index, 3); // the later of the pair
}

TEST(Analys, PrincipalOperations) {
  const Classified d3d = classify({rotation(ez, 2.0 * pi / 3.0), rotation(ex, pi), inversion});
  EXPECT_EQ(d3d.principal.proper_code, 3);
  EXPECT_EQ(d3d.principal.improper_order, 6);
  EXPECT_EQ(d3d.codes[d3d.principal.improper_index - 1], -6);
  // With only the inversion and mirror planes the last two-fold axis stands for the improper one.
  for (const Classified& c : {classify({rotation(ez, pi), reflection(ez)}),
                              classify({rotation(ez, pi), rotation(ex, pi), inversion})}) {
    EXPECT_EQ(c.principal.improper_order, 2);
    int last_c2 = 0;
    for (int k = 0; k < c.group.count; ++k)
      last_c2 = c.codes[k] == 2 ? k + 1 : last_c2;
    EXPECT_EQ(c.principal.improper_index, last_c2);
  }
}

TEST(Analys, OperationWithoutOrderCollapsesTheGroup) {
  Group g = symmetry::make_group(symmetry::make_thresholds(thrsym));
  g.ops[1] = rotation(tilted, 1.0);
  g.count = 2;
  std::vector<int> inverse{1, 2};
  std::vector<int> codes(2);
  std::vector<Axis> axes(2);
  symmetry::Principal principal;
  test_support::ChannelCapture capture;
  EXPECT_EQ(symmetry::analys(g, inverse, axes, codes, principal, symmetry::make_thresholds(thrsym)),
            symmetry::Status::no_order);
  EXPECT_EQ(g.count, 1);
  EXPECT_NE(capture.listing().find("Potential Problems with C3 axes"), std::string::npos);
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
  EXPECT_EQ(
      symmetry::adjust1(c2v.group, c2v.axes, xyz, 5, c2v.refs, symmetry::make_thresholds(thrsym)),
      symmetry::Status::ok);
  EXPECT_EQ(xyz, ch2f2);
}

TEST(Adjust1, TurnedC2vComesBackOnTheAxes) {
  const Classified c2v =
      classify({conjugate(turn, rotation(ez, pi)), conjugate(turn, reflection(ex))});
  ASSERT_EQ(c2v.label, "c2v ");
  std::vector<double> xyz = turned(ch2f2);
  ASSERT_EQ(
      symmetry::adjust1(c2v.group, c2v.axes, xyz, 5, c2v.refs, symmetry::make_thresholds(thrsym)),
      symmetry::Status::ok);
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
  ASSERT_EQ(
      symmetry::adjust1(d2.group, d2.axes, xyz, 4, d2.refs, symmetry::make_thresholds(thrsym)),
      symmetry::Status::ok);
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
  ASSERT_EQ(
      symmetry::adjust1(oh.group, oh.axes, xyz, 6, oh.refs, symmetry::make_thresholds(thrsym)),
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
  symmetry::References none;
  EXPECT_EQ(symmetry::adjust1(c2v.group, c2v.axes, xyz, 5, none, symmetry::make_thresholds(thrsym)),
            symmetry::Status::ok);
  symmetry::References both{.z = 2, .bisector = 3, .in_plane = 4};
  EXPECT_EQ(symmetry::adjust1(c2v.group, c2v.axes, xyz, 5, both, symmetry::make_thresholds(thrsym)),
            symmetry::Status::conflicting_references);
  // The normal of a plane perpendicular to the two-fold axis has no part in the xy plane.
  const Classified c2h = classify({rotation(ez, pi), reflection(ez)});
  symmetry::References parallel{.z = 2, .in_plane = 3};
  ASSERT_EQ(c2h.codes[2], -1);
  EXPECT_EQ(
      symmetry::adjust1(c2h.group, c2h.axes, xyz, 5, parallel, symmetry::make_thresholds(thrsym)),
      symmetry::Status::degenerate_reference);
  EXPECT_EQ(xyz, start);
}

} // namespace
