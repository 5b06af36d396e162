#include "symmetry/group.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "symmetry/icosahedron.hpp"
#include "symmetry/linear_algebra.hpp"
#include "symmetry/operation_builders.hpp"

namespace {

using symmetry::Axis;
using symmetry::Group;
using symmetry::Operation;

using namespace test_support;

constexpr double thrsym = 0.01;

const Axis body_diagonal = unit(1.0, 1.0, 1.0);

bool same(const Operation& a, const Operation& b) {
  return symmetry::dif(a.data(), b.data(), 9) < 1e-9;
}

int position(const Group& g, const Operation& r) {
  for (int k = 0; k < g.count; ++k) {
    if (same(g.ops[k], r))
      return k + 1;
  }
  return 0;
}

// Adds the generators one by one as the searches do, keeping h = N after each success.
Group close(std::initializer_list<Operation> generators) {
  Group g = symmetry::make_group(symmetry::make_thresholds(thrsym));
  for (const Operation& r : generators) {
    EXPECT_EQ(symmetry::grpgrp(r, g), symmetry::Status::ok);
    g.order = g.count;
  }
  return g;
}

// Every product of two members is a member, and no member appears twice.
void expect_group(const Group& g) {
  for (int i = 0; i < g.count; ++i) {
    for (int j = 0; j < g.count; ++j) {
      Operation p;
      symmetry::mult3(g.ops[i], g.ops[j], p);
      ASSERT_GT(position(g, p), 0) << i << " " << j;
      if (i != j) {
        ASSERT_FALSE(same(g.ops[i], g.ops[j]));
      }
    }
  }
}

TEST(Closure, WorkedExampleAppendsTheCosetOfB) {
  Group g = symmetry::make_group(symmetry::make_thresholds(thrsym));
  const Operation a = rotation(ez, pi);
  const Operation b = rotation(ey, pi);
  ASSERT_EQ(symmetry::grpgrp(a, g), symmetry::Status::ok);
  ASSERT_EQ(g.count, 2);
  g.order = 2;
  ASSERT_EQ(symmetry::grpgrp(b, g), symmetry::Status::ok);
  ASSERT_EQ(g.count, 4);
  EXPECT_TRUE(same(g.ops[0], symmetry::identity_operation));
  EXPECT_TRUE(same(g.ops[1], a));
  EXPECT_TRUE(same(g.ops[2], b));
  EXPECT_TRUE(same(g.ops[3], rotation(ex, pi)));
}

TEST(Closure, OperationAlreadyPresentChangesNothing) {
  Group g = close({rotation(ez, 2.0 * pi / 3.0)});
  const Group before = g;
  // Within L of the square of the generator, which is in the group.
  Operation near = rotation(ez, 4.0 * pi / 3.0);
  near[0] += 0.004;
  EXPECT_EQ(symmetry::grpgrp(near, g), symmetry::Status::ok);
  EXPECT_EQ(g.count, 3);
  EXPECT_EQ(g.ops, before.ops);
}

TEST(Closure, GroupsGrowByWholeCosets) {
  const Group d2 = close({rotation(ez, pi), rotation(ex, pi)});
  EXPECT_EQ(d2.count, 4);
  Group t = d2;
  const Operation c3 = rotation(body_diagonal, 2.0 * pi / 3.0);
  ASSERT_EQ(symmetry::grpgrp(c3, t), symmetry::Status::ok);
  EXPECT_EQ(t.count, 12);
  // Coset 1 is C3 op_j; the next representative is the first new product op_i C3, C3 squared.
  Operation c3_c2z;
  symmetry::mult3(c3, d2.ops[1], c3_c2z);
  EXPECT_EQ(t.ops[4], c3);
  EXPECT_TRUE(same(t.ops[5], c3_c2z));
  EXPECT_TRUE(same(t.ops[8], rotation(body_diagonal, 4.0 * pi / 3.0)));
  expect_group(t);
}

TEST(Closure, IcosahedralGroupsReach60And120) {
  Axis c3{};
  ASSERT_EQ(symmetry::ihgen(c3, symmetry::make_thresholds(thrsym)), symmetry::Status::ok);
  Group g = close({rotation(ez, 2.0 * pi / 5.0), rotation(c3, 2.0 * pi / 3.0)});
  EXPECT_EQ(g.count, 60);
  expect_group(g);
  ASSERT_EQ(symmetry::grpgrp(inversion, g), symmetry::Status::ok);
  EXPECT_EQ(g.count, 120);
  g.order = 120;
  expect_group(g);
}

TEST(Closure, MoreThan120OperationsFails) {
  Axis c3{};
  ASSERT_EQ(symmetry::ihgen(c3, symmetry::make_thresholds(thrsym)), symmetry::Status::ok);
  Group g = close({rotation(ez, 2.0 * pi / 5.0), rotation(c3, 2.0 * pi / 3.0), inversion});
  EXPECT_EQ(symmetry::grpgrp(rotation(unit(1.0, 2.0, 3.0), 0.3), g),
            symmetry::Status::closure_overflow);
  EXPECT_LE(g.count, symmetry::max_operations);
}

TEST(Closure, AProductThatMissesTheAtomsFails) {
  // Four like atoms 10 from the centre on the x and y axes. Two mirror planes 0.0015 off the
  // yz and xz planes map them within 0.03 each; their product turns them by pi - 0.006, 0.06 off,
  // while its matrix lies within the group tolerance 0.05 of the closed list.
  const std::vector<double> square{10, 0, 0, 0, 10, 0, -10, 0, 0, 0, -10, 0};
  const std::vector<std::string> symbols(4, "C       ");
  std::vector<int> scratch(4);
  const double e = 0.0015;
  const Operation s1 = reflection(unit(std::cos(e), std::sin(e), 0.0));
  const Operation s2 = reflection(unit(std::sin(e), std::cos(e), 0.0));
  for (const bool held : {false, true}) {
    Group g = symmetry::make_group(symmetry::make_thresholds(0.05));
    if (held)
      g.atoms = {4, square, symbols, 0.05, scratch, symmetry::XOrder(square, 4)};
    ASSERT_EQ(symmetry::grpgrp(s1, g), symmetry::Status::ok);
    g.order = g.count;
    EXPECT_EQ(symmetry::grpgrp(s2, g),
              held ? symmetry::Status::closure_wrong_image : symmetry::Status::ok);
    EXPECT_EQ(g.count, 4);
  }
}

// Where a closure missed is tried first next time; it never makes a closure that maps the atoms
// fail, nor one that misses them pass.
TEST(Closure, APlaceWhereAClosureMissedIsTriedFirstAndChangesNoAnswer) {
  const std::vector<double> square{10, 0, 0, 0, 10, 0, -10, 0, 0, 0, -10, 0};
  const std::vector<std::string> symbols(4, "C       ");
  std::vector<int> scratch(4);
  const double e = 0.0015;
  Group g = symmetry::make_group(symmetry::make_thresholds(0.05));
  g.atoms = {4, square, symbols, 0.05, scratch, symmetry::XOrder(square, 4)};
  ASSERT_EQ(symmetry::grpgrp(reflection(unit(std::cos(e), std::sin(e), 0.0)), g),
            symmetry::Status::ok);
  g.order = g.count;
  const Operation tilted = reflection(unit(std::sin(e), std::cos(e), 0.0));
  for (int attempt = 0; attempt < 2; ++attempt)
    EXPECT_EQ(symmetry::grpgrp(tilted, g), symmetry::Status::closure_wrong_image);
  ASSERT_EQ(g.missed.places().size(), 1u);
  EXPECT_GE(g.missed.places()[0].operation, g.order);
  EXPECT_EQ(symmetry::grpgrp(reflection(unit(0.0, 1.0, 0.0)), g), symmetry::Status::ok);
  EXPECT_EQ(g.count, 4);

  symmetry::MissedImages missed;
  for (int k = 0; k < symmetry::MissedImages::kept + 5; ++k)
    missed.note({k, k % 3});
  missed.note({symmetry::MissedImages::kept + 2, 1}); // already kept: no second entry
  ASSERT_EQ(missed.places().size(), static_cast<std::size_t>(symmetry::MissedImages::kept));
  EXPECT_EQ(missed.places().front().operation, symmetry::MissedImages::kept + 4);
  EXPECT_EQ(missed.places().back().operation, 5);
}

TEST(Inverses, PairsEveryOperationWithItsInverse) {
  Group c3 = close({rotation(ez, 2.0 * pi / 3.0)});
  std::vector<int> inverse(3);
  ASSERT_EQ(symmetry::syminv(c3, inverse), symmetry::Status::ok);
  EXPECT_EQ(inverse, (std::vector<int>{1, 3, 2}));
}

TEST(Inverses, MissingInverseFails) {
  Group g = symmetry::make_group(symmetry::make_thresholds(thrsym));
  g.ops[1] = rotation(ez, 2.0 * pi / 3.0);
  g.count = 2;
  std::vector<int> inverse(2, 7);
  EXPECT_EQ(symmetry::syminv(g, inverse), symmetry::Status::no_inverse);
  EXPECT_EQ(inverse, (std::vector<int>{1, 0}));
}

TEST(Ihgen, GivesTheFiveToThreeFoldDirection) {
  Axis v{};
  ASSERT_EQ(symmetry::ihgen(v, symmetry::make_thresholds(thrsym)), symmetry::Status::ok);
  EXPECT_NEAR(v[0], 0.607062, 1e-6);
  EXPECT_NEAR(v[1], 0.0, 1e-12);
  EXPECT_NEAR(v[2], 0.794654, 1e-6);
}

} // namespace
