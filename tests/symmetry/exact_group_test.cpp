#include "symmetry/exact_group.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "operation_builders.hpp"
#include "symmetry/linear_algebra.hpp"

namespace {

using test_support::Operation;
using test_support::pi;

// D5: the rotations about z and the two-fold axes in the xy plane, identity first.
std::vector<Operation> d5() {
  const test_support::Axis& axis = test_support::ez;
  std::vector<Operation> ops;
  for (int k = 0; k < 5; ++k)
    ops.push_back(test_support::rotation(axis, 2.0 * pi * k / 5.0));
  for (int k = 0; k < 5; ++k) {
    const double a = 2.0 * pi * k / 5.0;
    Operation r;
    symmetry::mult3(test_support::rotation(axis, a), test_support::rotation(test_support::ex, pi),
                    r);
    ops.push_back(r);
  }
  return ops;
}

double defect(std::vector<Operation>& ops) {
  std::vector<int> table(ops.size() * ops.size());
  return symmetry::product_table(static_cast<int>(ops.size()), ops, table);
}

// The table names for every product the operation a scan of the whole list finds nearest (the
// first on a tie): on a noisy list that holds one operation twice, and on that list reversed.
TEST(ProductTable, NamesTheFirstNearestOperationAsAFullScan) {
  std::vector<Operation> ops = d5();
  for (std::size_t m = 1; m < ops.size(); ++m) {
    Operation r;
    symmetry::mult3(test_support::rotation(test_support::unit(0.2, 1.0, 0.4 * m), 3e-5 * m), ops[m],
                    r);
    ops[m] = r;
  }
  ops.push_back(ops[3]);
  for (int pass = 0; pass < 2; ++pass) {
    const int count = static_cast<int>(ops.size());
    std::vector<int> table(ops.size() * ops.size());
    symmetry::product_table(count, ops, table);
    for (int m = 0; m < count; ++m) {
      for (int k = 0; k < count; ++k) {
        Operation p;
        symmetry::mult3(ops[k], ops[m], p);
        int nearest = 0;
        for (int l = 1; l < count; ++l) {
          if (symmetry::dif(p.data(), ops[l].data(), 9) <
              symmetry::dif(p.data(), ops[nearest].data(), 9)) {
            nearest = l;
          }
        }
        EXPECT_EQ(table[k + count * m], nearest) << k << " " << m << " pass " << pass;
      }
    }
    std::reverse(ops.begin(), ops.end());
  }
}

TEST(Fitgrp, LeavesAnExactGroupAlone) {
  std::vector<Operation> ops = d5();
  const std::vector<Operation> before = ops;
  EXPECT_FALSE(
      symmetry::fitgrp(static_cast<int>(ops.size()), ops, symmetry::make_thresholds(0.01)));
  EXPECT_EQ(ops, before);
}

TEST(Fitgrp, MakesANoisyGroupExactNearWhereItWas) {
  // Every operation but the identity off by a few 1e-5, as a noisy search leaves them.
  std::vector<Operation> ops = d5();
  for (std::size_t m = 1; m < ops.size(); ++m) {
    Operation r;
    symmetry::mult3(test_support::rotation(test_support::unit(1.0, 0.3 * m, -0.5), 4e-5 * m),
                    ops[m], r);
    ops[m] = r;
  }
  const std::vector<Operation> noisy = ops;
  ASSERT_GT(defect(ops), 1e-5);
  EXPECT_TRUE(symmetry::fitgrp(static_cast<int>(ops.size()), ops, symmetry::make_thresholds(0.01)));
  EXPECT_LT(defect(ops), 1e-14);
  EXPECT_EQ(ops[0], symmetry::identity_operation);
  for (std::size_t m = 0; m < ops.size(); ++m) {
    EXPECT_LT(symmetry::dif(ops[m].data(), noisy[m].data(), 9), 1e-3) << m;
    EXPECT_NEAR(symmetry::deter(ops[m].data()), 1.0, 1e-14) << m;
  }
}

TEST(Fitgrp, LeavesAListThatIsNoGroupAlone) {
  // A turn by one radian next to the identity: its square is nearest the turn itself.
  std::vector<Operation> ops{symmetry::identity_operation,
                             test_support::rotation(test_support::ez, 1.0)};
  const std::vector<Operation> before = ops;
  EXPECT_FALSE(symmetry::fitgrp(2, ops, symmetry::make_thresholds(0.01)));
  EXPECT_EQ(ops, before);
}

} // namespace
