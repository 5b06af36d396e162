#include "symmetry/refit.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "common/vectors.hpp"
#include "symmetry/classify.hpp"
#include "symmetry/driver.hpp"
#include "symmetry/element_search.hpp"
#include "symmetry/frame.hpp"
#include "symmetry/shells.hpp"

namespace {

using symmetry::Axis;
using symmetry::Generator;
using symmetry::Operation;
using Vec = std::array<double, 3>;

using common::pi;
constexpr double golden = 1.618033988749895;

Vec unit(Vec v) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  return {v[0] / length, v[1] / length, v[2] / length};
}

Vec transform(const Operation& r, const Vec& x) {
  return {r[0] * x[0] + r[3] * x[1] + r[6] * x[2], r[1] * x[0] + r[4] * x[1] + r[7] * x[2],
          r[2] * x[0] + r[5] * x[1] + r[8] * x[2]};
}

// Rotation by angle about the unit axis (Rodrigues), times sigma along the axis for an improper
// operation: the same operation gencn builds, written independently.
Operation rotation(const Vec& e, double angle, double sigma = 1.0) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  Operation r{};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      double v = (i == j ? c : 0.0) + (sigma - c) * e[i] * e[j];
      const int k = 3 - i - j;
      if (i != j)
        v += ((i + 1) % 3 == j ? -1.0 : 1.0) * s * e[k];
      r[i + 3 * j] = v;
    }
  }
  return r;
}

Operation reflection(const Vec& n) {
  Operation r{};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j)
      r[i + 3 * j] = (i == j ? 1.0 : 0.0) - 2.0 * n[i] * n[j];
  }
  return r;
}

// Atoms in shells as the shell sort leaves them: one shell per orbit.
struct Atoms {
  std::vector<double> xyz;
  std::vector<double> distances;
  std::vector<int> shell_numbers;
  std::vector<int> shell_sizes;
  std::vector<int> flags;

  void add_shell(const std::vector<Vec>& shell) {
    shell_sizes.push_back(static_cast<int>(shell.size()));
    for (const Vec& p : shell) {
      xyz.insert(xyz.end(), p.begin(), p.end());
      distances.push_back(std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]));
      shell_numbers.push_back(static_cast<int>(shell_sizes.size()));
    }
    flags.assign(distances.size(), 0);
  }
  // The orbit of p under the powers of r up to the identity.
  void add_orbit(const Operation& r, Vec p) {
    std::vector<Vec> orbit;
    const Vec start = p;
    do {
      orbit.push_back(p);
      p = transform(r, p);
    } while (std::hypot(p[0] - start[0], p[1] - start[1], p[2] - start[2]) > 1e-9);
    add_shell(orbit);
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

// An axis turned away from e by the small angle tilt.
Vec tilted(const Vec& e, double tilt) {
  const Vec side = unit({e[1] - e[2], e[2] - e[0], e[0] - e[1]});
  return unit({e[0] + tilt * side[0], e[1] + tilt * side[1], e[2] + tilt * side[2]});
}

struct Element {
  const char* name;
  double angle;
  double sigma;
  bool plane;
};

class Refit : public testing::TestWithParam<Element> {};

TEST_P(Refit, RecoversTheAxisFromATiltedStart) {
  common::RunContext run("", common::UnitsTo::memory);
  const Element el = GetParam();
  const Vec e = unit({0.3, -0.5, 0.8});
  const Operation exact = el.plane ? reflection(e) : rotation(e, el.angle, el.sigma);
  Atoms atoms;
  atoms.add_orbit(exact, {1.1, 0.4, -0.3});
  atoms.add_orbit(exact, {-0.2, 1.7, 0.9});
  for (const double sign : {1.0, -1.0}) {
    const Vec start = tilted({sign * e[0], sign * e[1], sign * e[2]}, 0.02);
    Generator g{{}, start, el.angle, el.sigma, el.plane};
    g.r = el.plane ? reflection(start) : rotation(start, el.angle, el.sigma);
    ASSERT_TRUE(symmetry::fitax(run, atoms.view(), symmetry::make_thresholds(0.1), atoms.flags, g))
        << el.name;
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(g.axis[k], sign * e[k], 1e-10) << el.name; // the sign of the start is kept
    }
    const Operation rebuilt = el.plane ? reflection(g.axis) : rotation(g.axis, el.angle, el.sigma);
    for (int k = 0; k < 9; ++k)
      EXPECT_NEAR(g.r[k], rebuilt[k], 1e-12) << el.name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Elements, Refit,
    testing::Values(Element{"C2", pi, 1.0, false}, Element{"C3", 2.0 * pi / 3.0, 1.0, false},
                    Element{"C5", 2.0 * pi / 5.0, 1.0, false}, Element{"S4", pi / 2.0, -1.0, false},
                    Element{"S6", pi / 3.0, -1.0, false}, Element{"plane", 0.0, -1.0, true}),
    [](const testing::TestParamInfo<Element>& param_info) {
      return std::string(param_info.param.name);
    });

TEST(Refit, GivesUpWithoutAPermutation) {
  common::RunContext run("", common::UnitsTo::memory);
  const Vec e{0.0, 0.0, 1.0};
  Atoms atoms;
  atoms.add_orbit(rotation(e, 2.0 * pi / 3.0), {1.2, 0.3, 0.5});
  // A three-fold turn about x sends the atoms nowhere near each other.
  Generator off{rotation({1.0, 0.0, 0.0}, 2.0 * pi / 3.0), {1.0, 0.0, 0.0}, 2.0 * pi / 3.0, 1.0};
  const Generator kept = off;
  EXPECT_FALSE(
      symmetry::fitax(run, atoms.view(), symmetry::make_thresholds(0.1), atoms.flags, off));
  EXPECT_EQ(off.r, kept.r);
  EXPECT_EQ(off.axis, kept.axis);
  // A half turn sends both atoms near (-1, 0, 0) onto the one at (1, 0, 0).
  Atoms crowded;
  crowded.add_shell({{1.0, 0.0, 0.0}, {-1.0, 0.05, 0.0}, {-1.0, -0.05, 0.0}});
  Generator half{rotation(e, pi), e, pi, 1.0};
  EXPECT_FALSE(
      symmetry::fitax(run, crowded.view(), symmetry::make_thresholds(0.1), crowded.flags, half));
}

TEST(Signals, NoteTheFailuresASearchCarriesOnPast) {
  using symmetry::Status;
  const auto noted = [](Status s) {
    symmetry::SearchSignals signals;
    signals.note(s);
    return signals;
  };
  EXPECT_TRUE(noted(Status::closure_overflow).overflow);
  EXPECT_TRUE(noted(Status::closure_wrong_image).wrong_image);
  EXPECT_TRUE(noted(Status::wrong_principal).wrong_image);
  EXPECT_TRUE(noted(Status::no_inverse).no_inverse);
  EXPECT_TRUE(noted(Status::no_order).no_order);
  EXPECT_TRUE(noted(Status::unknown_group).unknown_group);
  // A failure that ends the search without a signal of its own, and a warning, raise none.
  EXPECT_FALSE(noted(Status::no_pair).any());
  EXPECT_FALSE(noted(Status::zero_matrix).any());
  EXPECT_FALSE(noted(Status::ok).any());
}

TEST(LoneAtoms, AnAtomNearTheCentreDoesNotForbidTheAxes) {
  common::RunContext run("", common::UnitsTo::memory);
  // A square of like atoms about z and a lone atom 0.01 off the centre, in the square's plane.
  Atoms atoms;
  atoms.add_orbit(rotation({0.0, 0.0, 1.0}, pi / 2.0), {1.5, 0.0, 0.0});
  atoms.add_orbit(symmetry::identity_operation, {0.01, 0.0, 0.0});
  std::array<Axis, symmetry::max_operations> slot_axes{};
  std::array<int, symmetry::max_operations> slot_codes{};
  symmetry::Group group = symmetry::make_group(symmetry::make_thresholds(0.05));
  int found = 0;
  EXPECT_EQ(symmetry::cnsrch(run, atoms.view(), group, {slot_axes, slot_codes}, atoms.flags, 0,
                             symmetry::make_thresholds(0.05), false, found),
            symmetry::Status::ok);
  EXPECT_EQ(group.count, 8); // D4: the four-fold axis and the two-fold axes in the plane
}

// Deterministic noise: splitmix64 and Box-Muller, the same on every platform.
class Noise {
public:
  explicit Noise(std::uint64_t seed) : state_(seed) {}
  double uniform() { // in (0, 1)
    return (static_cast<double>(next() >> 11) + 0.5) / 9007199254740992.0;
  }
  double gaussian() {
    const double r = std::sqrt(-2.0 * std::log(uniform()));
    return r * std::cos(2.0 * pi * uniform());
  }

private:
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  std::uint64_t state_;
};

struct Molecule {
  std::string name;
  std::string group;
  int order;
  std::vector<std::string> symbols;
  std::vector<Vec> atoms;

  void add(const std::string& symbol, const Vec& p) {
    symbols.push_back(symbol + std::string(8 - symbol.size(), ' '));
    atoms.push_back(p);
  }
  void add_ring(const std::string& symbol, int n, double radius, double z) {
    for (int k = 0; k < n; ++k)
      add(symbol, {radius * std::cos(2.0 * pi * k / n), radius * std::sin(2.0 * pi * k / n), z});
  }
};

Molecule methane() {
  Molecule m{"methane", "td  ", 24, {}, {}};
  m.add("C", {0.0, 0.0, 0.0});
  const double h = 1.09 / std::sqrt(3.0);
  for (const Vec& s : {Vec{1, 1, 1}, Vec{1, -1, -1}, Vec{-1, 1, -1}, Vec{-1, -1, 1}})
    m.add("H", {h * s[0], h * s[1], h * s[2]});
  return m;
}

Molecule benzene() {
  Molecule m{"benzene", "d6h ", 24, {}, {}};
  m.add_ring("C", 6, 1.39, 0.0);
  m.add_ring("H", 6, 2.48, 0.0);
  return m;
}

// Truncated icosahedron: the cyclic permutations of (0, +-1, +-3 phi), (+-1, +-(2 + phi), +-2 phi)
// and (+-phi, +-2, +-phi^3), edge 2, scaled to a bond of 1.4.
Molecule c60() {
  Molecule m{"c60", "ih  ", 120, {}, {}};
  const double scale = 0.7;
  for (const Vec& base : {Vec{0.0, 1.0, 3.0 * golden}, Vec{1.0, 2.0 + golden, 2.0 * golden},
                          Vec{golden, 2.0, golden * golden * golden}}) {
    for (int signs = 0; signs < 8; ++signs) {
      const Vec v{base[0] * ((signs & 1) ? -1.0 : 1.0), base[1] * ((signs & 2) ? -1.0 : 1.0),
                  base[2] * ((signs & 4) ? -1.0 : 1.0)};
      if ((base[0] == 0.0 && (signs & 1)))
        continue; // no -0
      for (int shift = 0; shift < 3; ++shift)
        m.add("C", {scale * v[shift], scale * v[(shift + 1) % 3], scale * v[(shift + 2) % 3]});
    }
  }
  return m;
}

Molecule eclipsed_ferrocene() {
  Molecule m{"ferrocene", "d5h ", 20, {}, {}};
  m.add("Fe", {0.0, 0.0, 0.0});
  for (const double z : {1.66, -1.66}) {
    m.add_ring("C", 5, 1.22, z);
    m.add_ring("H", 5, 2.30, z);
  }
  return m;
}

Molecule staggered_ferrocene() {
  Molecule m{"staggered_ferrocene", "d5d ", 20, {}, {}};
  m.add("Fe", {0.0, 0.0, 0.0});
  for (const double z : {1.66, -1.66}) {
    const double turn = z > 0.0 ? 0.0 : pi / 5.0;
    for (int k = 0; k < 5; ++k) {
      const double a = turn + 2.0 * pi * k / 5.0;
      m.add("C", {1.22 * std::cos(a), 1.22 * std::sin(a), z});
      m.add("H", {2.30 * std::cos(a), 2.30 * std::sin(a), z});
    }
  }
  return m;
}

// Cr(CO)6 with the metal 0.01 off the centre of its ligands.
Molecule octahedral_complex() {
  Molecule m{"chromium_hexacarbonyl", "oh  ", 48, {}, {}};
  m.add("Cr", {0.01, 0.0, 0.0});
  for (const auto& [symbol, r] : {std::pair{"C", 1.91}, std::pair{"O", 3.06}}) {
    for (int axis = 0; axis < 3; ++axis) {
      for (const double sign : {1.0, -1.0}) {
        Vec p{0.0, 0.0, 0.0};
        p[axis] = sign * r;
        m.add(symbol, p);
      }
    }
  }
  return m;
}

// The molecule turned into a random orientation, shifted, with Gaussian noise on every coordinate.
std::vector<double> noisy_copy(const Molecule& m, double noise, std::uint64_t seed) {
  Noise rng(seed);
  const Vec axis = unit({rng.gaussian(), rng.gaussian(), rng.gaussian()});
  const Operation turn = rotation(axis, 2.0 * pi * rng.uniform());
  std::vector<double> xyz;
  for (const Vec& p : m.atoms) {
    const Vec q = transform(turn, p);
    for (int k = 0; k < 3; ++k)
      xyz.push_back(q[k] + 2.5 + noise * rng.gaussian());
  }
  return xyz;
}

struct Noisy {
  double noise;
  double thrsym;
};

class NoisyMolecules : public testing::TestWithParam<Noisy> {};

TEST_P(NoisyMolecules, AreNamedRight) {
  const Noisy variant = GetParam();
  for (const Molecule& m :
       {methane(), benzene(), c60(), eclipsed_ferrocene(), octahedral_complex()}) {
    for (std::uint64_t pose = 1; pose <= 3; ++pose) {
      const int n = static_cast<int>(m.atoms.size());
      std::vector<double> xyz = noisy_copy(m, variant.noise, 1000 * pose + m.atoms.size());
      symmetry::Workspace ws = symmetry::make_workspace(n);
      symmetry::SymmetryResult r = symmetry::make_result(n);
      int adjst = 1;
      common::RunContext run("", common::UnitsTo::memory);
      symmetry::symtry(run, n, m.symbols, xyz, variant.thrsym, adjst, 0, ws, r);
      EXPECT_EQ(r.label, m.group) << m.name << " pose " << pose;
      EXPECT_LE(r.count, m.order) << m.name << " pose " << pose;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Variants, NoisyMolecules,
                         testing::Values(Noisy{0.005, 0.05}, Noisy{0.02, 0.15}),
                         [](const testing::TestParamInfo<Noisy>& param_info) {
                           return param_info.param.noise < 0.01
                                      ? std::string("noise_0p005_thrsym_0p05")
                                      : std::string("noise_0p02_thrsym_0p15");
                         });

// Without refitting, each of these noisy molecules fails somewhere (overflow, no inverse, an
// atom mapping that is no permutation, an order not found); the refitting pass names them all.
TEST(NoisyMolecules, RefittingNamesWhatThePlainSearchMisses) {
  common::RunContext run("", common::UnitsTo::memory);
  for (const Molecule& m : {methane(), benzene(), c60(), eclipsed_ferrocene()}) {
    const int n = static_cast<int>(m.atoms.size());
    int plain_failures = 0;
    for (std::uint64_t pose = 1; pose <= 6; ++pose) {
      std::vector<double> xyz = noisy_copy(m, 0.005, 1000 * pose + m.atoms.size());
      double cx = 0.0, cy = 0.0, cz = 0.0;
      symmetry::cms(n, cx, cy, cz, xyz);
      symmetry::Workspace ws = symmetry::make_workspace(n);
      symmetry::SymmetryResult r = symmetry::make_result(n);
      int adjst = 1;
      if (!symmetry::search_pass(run, n, m.symbols, xyz, symmetry::make_thresholds(0.05), adjst, 0,
                                 false, ws, r))
        ++plain_failures;
      adjst = 1;
      EXPECT_TRUE(symmetry::search_pass(run, n, m.symbols, xyz, symmetry::make_thresholds(0.05),
                                        adjst, 0, true, ws, r))
          << m.name << " pose " << pose;
      EXPECT_EQ(r.label, m.group) << m.name << " pose " << pose;
    }
    EXPECT_GT(plain_failures, 0) << m.name;
  }
}

// Under a loose tolerance, tilted two-fold axes can close into an operation whose powers return
// to the identity only after many turns ("d46d" for ferrocene): the axis of that order does not
// map the atoms, and such a group is never named.
TEST(NoisyMolecules, NoLabelNamesAnAxisTheAtomsLack) {
  common::RunContext run("", common::UnitsTo::memory);
  for (const Molecule& m : {staggered_ferrocene(), eclipsed_ferrocene()}) {
    const int n = static_cast<int>(m.atoms.size());
    for (std::uint64_t pose = 1; pose <= 60; ++pose) {
      std::vector<double> xyz = noisy_copy(m, 0.005, 7000 * pose + 11);
      symmetry::Workspace ws = symmetry::make_workspace(n);
      symmetry::SymmetryResult r = symmetry::make_result(n);
      int adjst = 1;
      symmetry::symtry(run, n, m.symbols, xyz, 0.15, adjst, 0, ws, r);
      EXPECT_LE(r.count, m.order) << m.name << " pose " << pose << " " << r.label;
      EXPECT_FALSE(std::isdigit(static_cast<unsigned char>(r.label[2])))
          << m.name << " pose " << pose << " " << r.label;
    }
  }
}

} // namespace
