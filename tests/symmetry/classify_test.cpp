#include "symmetry/classify.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "symmetry/classified_groups.hpp"
#include "symmetry/group.hpp"
#include "symmetry/operation_builders.hpp"

namespace {

using symmetry::Axis;
using symmetry::Group;
using symmetry::Operation;

using namespace test_support;

constexpr double thrsym = 0.01;

const Axis tilted = unit(1.0, 2.0, 2.0);

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
  EXPECT_EQ(symmetry::ncycle(rotation(tilted, 1.0), thrsym), symmetry::no_cycle);
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
  common::RunContext run("", common::UnitsTo::memory);
  EXPECT_EQ(
      symmetry::analys(run, g, inverse, axes, codes, principal, symmetry::make_thresholds(thrsym)),
      symmetry::Status::no_order);
  EXPECT_EQ(g.count, 1);
  EXPECT_NE(run.text(common::listing_unit).find("Potential Problems with C3 axes"),
            std::string::npos);
}

} // namespace
