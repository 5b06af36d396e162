#include "symmetry/snap.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

using symmetry::Operation;
using symmetry::snap;

TEST(Snap, MovesNearlyExactElementsOntoTheConstants) {
  EXPECT_EQ(snap(0.7071, 0.001), 0.7071);
  EXPECT_EQ(snap(0.49999, 0.001), 0.5);
  EXPECT_EQ(snap(-0.866, 0.001), -0.86602540378444);
  EXPECT_EQ(snap(0.809, 0.001), 0.80901699437495);
  EXPECT_EQ(snap(-0.309, 0.001), -0.30901699437495);
  EXPECT_EQ(snap(-0.9995, 0.001), -1.0);
  EXPECT_EQ(snap(-0.0004, 0.001), 0.0);
  EXPECT_EQ(snap(0.001, 0.001), 0.001); // the comparisons are strict
  // The first test that holds wins: 0.45 is nearer 0.5 but below the tolerance 0.6.
  EXPECT_EQ(snap(0.45, 0.6), 0.0);
}

TEST(Snap, LeavesTheIdentityAlone) {
  std::vector<Operation> ops{symmetry::identity_operation,
                             {0.99, 0.01, 0, -0.01, 0.99, 0, 0, 0, 1.5}};
  symmetry::snap_operations(ops, 2, 1.2);
  EXPECT_EQ(ops[0], symmetry::identity_operation);
  EXPECT_EQ(ops[1], (Operation{0, 0, 0, 0, 0, 0, 0, 0, 1}));
}

} // namespace
