#include "symmetry/element_search.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using symmetry::Operation;

// Atoms of one element each in their own shell by distance, as the shell sort leaves them.
struct Molecule {
  std::vector<double> xyz;
  std::vector<double> distances;
  std::vector<int> shell_numbers;
  std::vector<int> shell_sizes;

  void add_shell(const std::vector<std::array<double, 3>>& atoms) {
    shell_sizes.push_back(static_cast<int>(atoms.size()));
    for (const auto& a : atoms) {
      xyz.insert(xyz.end(), a.begin(), a.end());
      distances.push_back(std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]));
      shell_numbers.push_back(static_cast<int>(shell_sizes.size()));
    }
  }
  symmetry::ShellAtoms view() const {
    return {xyz,
            distances,
            shell_numbers,
            shell_sizes,
            static_cast<int>(distances.size()),
            static_cast<int>(shell_sizes.size())};
  }
};

struct Search {
  std::array<symmetry::Axis, symmetry::max_operations> axes{};
  std::array<int, symmetry::max_operations> codes{};
  std::vector<int> flags;
  symmetry::Group group;
  symmetry::AxisSlots slots() { return {axes, codes}; }
};

void apply(const Operation& r, const double* x, double* y) {
  for (int i = 0; i < 3; ++i)
    y[i] = r[i] * x[0] + r[i + 3] * x[1] + r[i + 6] * x[2];
}

// Every operation of the group maps every atom onto a like atom.
void expect_symmetry_of(const Molecule& m, const symmetry::Group& g) {
  const int n = static_cast<int>(m.distances.size());
  for (int op = 0; op < g.count; ++op) {
    for (int i = 0; i < n; ++i) {
      double y[3];
      apply(g.ops[static_cast<std::size_t>(op)], &m.xyz[static_cast<std::size_t>(3 * i)], y);
      bool found = false;
      for (int j = 0; j < n && !found; ++j) {
        const double* x = &m.xyz[static_cast<std::size_t>(3 * j)];
        found = m.shell_numbers[static_cast<std::size_t>(j)] ==
                    m.shell_numbers[static_cast<std::size_t>(i)] &&
                std::fabs(x[0] - y[0]) + std::fabs(x[1] - y[1]) + std::fabs(x[2] - y[2]) < 1e-9;
      }
      EXPECT_TRUE(found) << "operation " << op + 1 << " atom " << i + 1;
    }
  }
}

TEST(ElementGeometry, RotationRoutinesAgreeWithTheirMatrices) {
  const double e1[3] = {0.0, 0.6, 0.8};
  const double e2[3] = {0.0, -0.8, 0.6};
  const double e3[3] = {1.0, 0.0, 0.0};
  const double x[3] = {0.3, -1.2, 2.5};
  for (double phi : {0.4, symmetry::pi / 3.0}) {
    for (double sigma : {1.0, -1.0}) {
      Operation r;
      symmetry::gencn(e1, e2, e3, phi, sigma, r);
      double by_matrix[3];
      double by_routine[3];
      apply(r, x, by_matrix);
      (sigma > 0 ? symmetry::rotc : symmetry::rots)(e1, e2, e3, x, by_routine,
                                                    symmetry::turn_by(phi));
      for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(by_matrix[k], by_routine[k], 1e-14);
    }
  }
  const double normal[3] = {0.0, 0.0, 1.0};
  const double origin[3] = {0.0, 0.0, 0.0};
  double y[3];
  symmetry::rotcs(origin, normal, x, y);
  EXPECT_EQ(y[2], -2.5);
  Operation s;
  symmetry::gencs(normal, s);
  EXPECT_EQ(s[8], -1.0);
  EXPECT_EQ(s[0], 1.0);
}

TEST(ElementGeometry, HititTakesTheFirstOrTheNearestLikeAtomWithinTolerance) {
  Molecule m;
  m.add_shell({{1.0, 0.0, 0.0}, {1.0005, 0.0, 0.0}});
  m.add_shell({{2.0, 0.0, 0.0}});
  const double y[3] = {1.0004, 0.0, 0.0};
  EXPECT_EQ(symmetry::hitit(m.view(), y, 1, 0.001), 1);
  EXPECT_EQ(symmetry::hitit(m.view(), y, 1, 0.001, symmetry::Pick::nearest), 2);
  EXPECT_EQ(symmetry::hitit(m.view(), y, 2, 0.001), 0);
  // Exactly at the tolerance is a hit; a nearer atom of another shell is none.
  m.add_shell({{2.25, 0.0, 0.0}});
  const double z[3] = {2.25, 0.0, 0.0};
  EXPECT_EQ(symmetry::hitit(m.view(), z, 2, 0.25), 3);
  EXPECT_EQ(symmetry::hitit(m.view(), z, 3, 0.25), 4);
  EXPECT_EQ(symmetry::ionc(std::vector<double>{0.5, 0.0009, 0.0}, 3, 0.001), 2);
  EXPECT_EQ(symmetry::ionc(std::vector<double>{0.5}, 1, 0.001), 0);
}

TEST(AxisSearch, SquareGivesTheFourFoldAxisAndItsTwoFolds) {
  common::RunContext run("", common::UnitsTo::memory);
  Molecule m;
  m.add_shell({{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {-1.0, 0.0, 0.0}, {0.0, -1.0, 0.0}});
  Search s;
  s.group = symmetry::make_group(symmetry::make_thresholds(0.01));
  s.flags.assign(4, 0);
  int axes = -1;
  EXPECT_EQ(symmetry::cnsrch(run, m.view(), s.group, s.slots(), s.flags, 0,
                             symmetry::make_thresholds(0.01), false, axes),
            symmetry::Status::ok);
  // A planar square has D4h symmetry; its proper rotations form D4 (8), with S4 the axis is
  // stored as -4 and the closure reaches 16 with the inversion it implies.
  EXPECT_GE(s.group.count, 8);
  expect_symmetry_of(m, s.group);
  bool four_fold = false;
  for (int k = 0; k < axes; ++k) {
    if ((s.codes[static_cast<std::size_t>(k)] == 4 || s.codes[static_cast<std::size_t>(k)] == -8) &&
        std::fabs(std::fabs(s.axes[static_cast<std::size_t>(k)][2]) - 1.0) < 1e-12) {
      four_fold = true;
    }
  }
  EXPECT_TRUE(four_fold);
}

TEST(AxisSearch, TwoLoneAtomsOutOfLineLeaveNoAxis) {
  common::RunContext run("", common::UnitsTo::memory);
  Molecule m;
  m.add_shell({{1.0, 0.0, 0.0}});
  m.add_shell({{0.0, 1.5, 0.0}});
  m.add_shell({{0.0, -2.0, 0.5}, {0.0, 2.0, 0.5}});
  Search s;
  s.group = symmetry::make_group(symmetry::make_thresholds(0.01));
  s.flags.assign(4, 0);
  int axes = -1;
  EXPECT_EQ(symmetry::cnsrch(run, m.view(), s.group, s.slots(), s.flags, 0,
                             symmetry::make_thresholds(0.01), false, axes),
            symmetry::Status::ok);
  EXPECT_EQ(axes, 0);
  EXPECT_EQ(s.group.count, 1);
}

TEST(AxisSearch, FailsWithoutAnyPairAndOnCoincidentAtoms) {
  common::RunContext run("", common::UnitsTo::memory);
  Molecule lone;
  lone.add_shell({{1.0, 0.0, 0.0}});
  Search s;
  s.group = symmetry::make_group(symmetry::make_thresholds(0.01));
  s.flags.assign(1, 0);
  int axes = 0;
  EXPECT_EQ(symmetry::cnsrch(run, lone.view(), s.group, s.slots(), s.flags, 0,
                             symmetry::make_thresholds(0.01), false, axes),
            symmetry::Status::no_pair);
  Molecule twin;
  twin.add_shell({{1.0, 0.0, 0.0}, {1.0, 0.0, 0.0005}});
  s.flags.assign(2, 0);
  EXPECT_EQ(symmetry::cnsrch(run, twin.view(), s.group, s.slots(), s.flags, 0,
                             symmetry::make_thresholds(0.01), false, axes),
            symmetry::Status::coincident_atoms);
}

TEST(PlaneSearch, WaterHasTwoPlanesAndStopsAtThreeForARectangle) {
  common::RunContext run("", common::UnitsTo::memory);
  Molecule water;
  water.add_shell({{0.0, 0.0, -0.39}});
  water.add_shell({{0.757, 0.0, 0.195}, {-0.757, 0.0, 0.195}});
  Search s;
  s.group = symmetry::make_group(symmetry::make_thresholds(0.01));
  s.flags.assign(3, 0);
  int planes = -1;
  EXPECT_EQ(symmetry::cssrch(run, water.view(), s.group, s.slots(), s.flags,
                             symmetry::make_thresholds(0.01), false, planes),
            symmetry::Status::ok);
  // The bisector plane x = 0; the molecular plane y = 0 is not a bisector of any pair here.
  EXPECT_EQ(planes, 1);
  EXPECT_EQ(s.group.count, 2);
  expect_symmetry_of(water, s.group);

  Molecule rectangle;
  rectangle.add_shell({{1.0, 2.0, 0.0}, {-1.0, 2.0, 0.0}, {-1.0, -2.0, 0.0}, {1.0, -2.0, 0.0}});
  Search r;
  r.group = symmetry::make_group(symmetry::make_thresholds(0.01));
  r.flags.assign(4, 0);
  EXPECT_EQ(symmetry::cssrch(run, rectangle.view(), r.group, r.slots(), r.flags,
                             symmetry::make_thresholds(0.01), false, planes),
            symmetry::Status::ok);
  EXPECT_EQ(planes, 3);
  EXPECT_EQ(r.group.count, 8);
  expect_symmetry_of(rectangle, r.group);
}

} // namespace
