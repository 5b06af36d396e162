// Symmetrising to a chosen group: noisy benzene made exactly C2v or D2h, with the group of the
// output found by brute force (every orthogonal map of two carbons onto two others that carries
// all atoms onto like atoms), independent of the search; and the refusals.
#include "symmetry/chosen_group.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "common/run_context.hpp"
#include "support/noisy_poses.hpp"
#include "symmetry/driver.hpp"
#include "symmetry/subgroups.hpp"

namespace {

using molecules::Matrix;
using molecules::Vec3;
using molecules::operator-;
using molecules::operator*;

constexpr double exact = 1e-7;

struct Found {
  symmetry::SymmetryInput input;
  symmetry::SymmetryResult found;
};

Found noisy(const molecules::Molecule& m, double noise, double thrsym) {
  const molecules::Pose pose = molecules::noisy_pose(m, noise, 17);
  Found r;
  r.input.natoms = static_cast<int>(pose.symbols.size());
  r.input.thrsym = thrsym;
  r.input.xyz = pose.xyz;
  r.input.symbols = pose.symbols;
  symmetry::SymmetryInput copy = r.input;
  common::RunContext quiet("", common::UnitsTo::nowhere);
  r.found = symmetry::run_symmetry_on_input(quiet, copy);
  return r;
}

Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// The matrix taking the columns a, b, c onto a2, b2, c2 (a, b, c independent).
Matrix map_triad(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& a2, const Vec3& b2,
                 const Vec3& c2) {
  const Vec3 ra = cross(b, c), rb = cross(c, a), rc = cross(a, b);
  const double det = molecules::dot(a, ra);
  Matrix m{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      m[i + 3 * j] = (a2[i] * ra[j] + b2[i] * rb[j] + c2[i] * rc[j]) / det;
  return m;
}

bool maps_atoms(const Matrix& r, const std::vector<Vec3>& x, const std::vector<std::string>& s) {
  for (std::size_t i = 0; i < x.size(); ++i) {
    const Vec3 image = molecules::apply(r, x[i]);
    if (std::none_of(x.begin(), x.end(), [&](const Vec3& y) {
          return s[static_cast<std::size_t>(&y - x.data())] == s[i] &&
                 molecules::norm(y - image) < exact;
        }))
      return false;
  }
  return true;
}

// Every symmetry operation of the atoms: one sends atoms 0 and 1 (not in line with the centre)
// to some like pair at the same distances and angle, proper or improper.
std::vector<Matrix> brute_force_group(const std::vector<double>& xyz,
                                      const std::vector<std::string>& s) {
  std::vector<Vec3> x;
  for (std::size_t i = 0; i + 2 < xyz.size(); i += 3)
    x.push_back({xyz[i], xyz[i + 1], xyz[i + 2]});
  const Vec3 a = x[0], b = x[1], c = cross(a, b);
  std::vector<Matrix> group;
  for (std::size_t i = 0; i < x.size(); ++i) {
    for (std::size_t j = 0; j < x.size(); ++j) {
      if (i == j || s[i] != s[0] || s[j] != s[1] ||
          std::fabs(molecules::norm(x[i]) - molecules::norm(a)) > exact ||
          std::fabs(molecules::norm(x[j]) - molecules::norm(b)) > exact ||
          std::fabs(molecules::dot(x[i], x[j]) - molecules::dot(a, b)) > exact)
        continue;
      for (const double sign : {1.0, -1.0}) {
        const Matrix r = map_triad(a, b, c, x[i], x[j], sign * cross(x[i], x[j]));
        if (maps_atoms(r, x, s) && std::none_of(group.begin(), group.end(), [&](const Matrix& g) {
              return molecules::same(g, r);
            }))
          group.push_back(r);
      }
    }
  }
  return group;
}

struct Census {
  int order = 0, twofold = 0, mirrors = 0, inversions = 0;
};

Census census(const std::vector<Matrix>& group) {
  Census c;
  c.order = static_cast<int>(group.size());
  for (const Matrix& r : group) {
    const double t = molecules::trace(r), d = molecules::determinant(r);
    c.twofold += d > 0 && std::fabs(t + 1) < 1e-6;
    c.mirrors += d < 0 && std::fabs(t - 1) < 1e-6;
    c.inversions += d < 0 && std::fabs(t + 3) < 1e-6;
  }
  return c;
}

TEST(ChosenGroup, NoisyBenzeneBecomesExactlyC2vOrD2h) {
  const Found r = noisy(molecules::benzene(), 0.004, 0.05);
  ASSERT_EQ(r.found.label, "d6h ");
  struct Expected {
    const char* label;
    int order, twofold, mirrors, inversions;
  };
  for (const auto& [label, order, twofold, mirrors, inversions] :
       {Expected{"c2v", 4, 1, 2, 0}, Expected{"D2h", 8, 3, 3, 1}}) {
    const symmetry::ChosenGroup chosen =
        symmetry::symmetrise_to(r.input, r.found, label, std::nullopt);
    ASSERT_EQ(chosen.refusal, "") << label;
    EXPECT_EQ(chosen.result.label, symmetry::program_label(label));
    const Census c = census(brute_force_group(chosen.result.xyz, r.input.symbols));
    EXPECT_EQ(c.order, order) << label;
    EXPECT_EQ(c.twofold, twofold) << label;
    EXPECT_EQ(c.mirrors, mirrors) << label;
    EXPECT_EQ(c.inversions, inversions) << label;
    // The standard frame: a two-fold axis along z.
    EXPECT_TRUE(std::any_of(chosen.result.elements.begin(), chosen.result.elements.end(),
                            [](const symmetry::SymmetryElement& e) {
                              return e.kind == symmetry::ElementKind::rotation_axis &&
                                     std::fabs(std::fabs(e.direction[2]) - 1.0) < 1e-9;
                            }));
    // Less symmetry keeps more of the noise.
    EXPECT_LT(chosen.result.deviation.rms, r.found.deviation.rms) << label;
  }
}

TEST(ChosenGroup, ADirectionPicksAmongSeveralAndMustMeetOne) {
  const Found r = noisy(molecules::benzene(), 0.004, 0.05);
  // Nine C2v subgroups in D6h: three about z, six about the two-fold axes in the plane.
  const symmetry::ChosenGroup in_plane =
      symmetry::symmetrise_to(r.input, r.found, "c2v", symmetry::Axis{1, 0, 0});
  ASSERT_EQ(in_plane.refusal, "");
  EXPECT_EQ(in_plane.choices, 9);
  const symmetry::ChosenGroup askew =
      symmetry::symmetrise_to(r.input, r.found, "c2v", symmetry::Axis{0.6, 0, 0.8});
  EXPECT_NE(askew.refusal, "");
}

TEST(ChosenGroup, GroupsThatAreNoSubgroupAreRefusedWithTheReason) {
  const Found r = noisy(molecules::benzene(), 0.004, 0.05);
  const auto refusal = [&](const char* label) {
    return symmetry::symmetrise_to(r.input, r.found, label, std::nullopt).refusal;
  };
  EXPECT_EQ(refusal("d2d"), "d6h has no subgroup d2d; its subgroups of order 8: d2h");
  EXPECT_EQ(refusal("td"), "d6h has no subgroup td; its subgroups of order 24: d6h");
  EXPECT_EQ(refusal("oh"), "oh is no subgroup of d6h: its order 48 does not divide 24");
  EXPECT_EQ(refusal("x2"), "x2: names no point group");
}

TEST(LabelOrder, EveryKindOfLabel) {
  for (const auto& [label, order] : std::vector<std::pair<const char*, int>>{
           {"c1", 1},  {"cs", 2}, {"ci ", 2},  {"C5", 5},   {"s4", 4},  {"s3", 0},  {"c3v", 6},
           {"c2h", 4}, {"d3", 6}, {"d6h", 24}, {"d4d", 16}, {"td", 24}, {"th", 24}, {"o", 24},
           {"oh", 48}, {"i", 60}, {"ih", 120}, {"c*v", 4},  {"d*h", 8}, {"q", 0}})
    EXPECT_EQ(symmetry::label_order(label), order) << label;
}

} // namespace
