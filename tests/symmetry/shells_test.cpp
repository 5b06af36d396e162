#include "symmetry/shells.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

using symmetry::rshell;

TEST(Getdis, NeedsAtoms) {
  std::vector<double> dist(2);
  EXPECT_EQ(symmetry::getdis(std::vector<double>{3, 4, 0, 0, 0, -2}, dist, 2),
            symmetry::Status::ok);
  EXPECT_EQ(dist, (std::vector<double>{5, 2}));
  EXPECT_EQ(symmetry::getdis({}, dist, 0), symmetry::Status::no_atoms);
}

struct Shells {
  std::vector<double> positions;
  std::vector<std::string> symbols;
  std::vector<double> distances;
  std::vector<int> numbers;
  std::vector<int> sizes;
  int count = 0;
};

// Atoms on the x axis at the given distances, so that position and distance identify them.
Shells shells_of(const std::vector<std::string>& symbols, const std::vector<double>& dist,
                 double tol) {
  const std::size_t n = symbols.size();
  std::vector<double> xyz;
  for (double d : dist)
    xyz.insert(xyz.end(), {d, 0.0, 0.0});
  Shells s{std::vector<double>(3 * n), std::vector<std::string>(n), dist, std::vector<int>(n),
           std::vector<int>(n)};
  s.count = rshell(xyz, symbols, static_cast<int>(n), tol,
                   {s.positions, s.symbols, s.distances, s.numbers, s.sizes});
  return s;
}

TEST(Rshell, SortsBySymbolThenDistance) {
  const std::string c = "C       ", h = "H       ", o = "O       ";
  const Shells s = shells_of({h, c, o, h, c}, {1.1, 1.5, 1.2, 1.0, 0.5}, 0.005);
  EXPECT_EQ(s.symbols, (std::vector<std::string>{c, c, h, h, o}));
  EXPECT_EQ(s.distances, (std::vector<double>{0.5, 1.5, 1.0, 1.1, 1.2}));
  EXPECT_EQ(s.positions[3 * 2], 1.0); // positions travel with their atoms
  EXPECT_EQ(s.count, 5);
  EXPECT_EQ(s.numbers, (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST(Rshell, ElementsSplitShellsAtEqualDistance) {
  const std::string c = "C       ", h = "H       ";
  const Shells s = shells_of({h, c, h, c}, {1.0, 1.0, 1.0, 1.0}, 0.005);
  EXPECT_EQ(s.count, 2);
  EXPECT_EQ(s.numbers, (std::vector<int>{1, 1, 2, 2}));
  EXPECT_EQ(std::vector<int>(s.sizes.begin(), s.sizes.begin() + 2), (std::vector<int>{2, 2}));
}

TEST(Rshell, ShellsChainThroughNeighbours) {
  // Each step is below the tolerance 0.05, the whole run 1.00 .. 1.08 is not; 1.20 starts anew.
  const std::string h = "H       ";
  const Shells s = shells_of({h, h, h, h, h}, {1.08, 1.2, 1.0, 1.04, 1.05 + 1.0}, 0.05);
  EXPECT_EQ(s.distances, (std::vector<double>{1.0, 1.04, 1.08, 1.2, 2.05}));
  EXPECT_EQ(s.count, 3);
  EXPECT_EQ(s.numbers, (std::vector<int>{1, 1, 1, 2, 3}));
  EXPECT_EQ(std::vector<int>(s.sizes.begin(), s.sizes.begin() + 3), (std::vector<int>{3, 1, 1}));
}

TEST(Rshell, EqualKeysKeepTheirInputOrder) {
  const std::string h = "H       ";
  std::vector<double> xyz{0, 1, 0, 1, 0, 0, 0, 0, 1};
  std::vector<double> dist{1, 1, 1};
  std::vector<double> positions(9);
  std::vector<std::string> symbols(3);
  std::vector<int> numbers(3), sizes(3);
  EXPECT_EQ(rshell(xyz, std::vector<std::string>{h, h, h}, 3, 0.01,
                   {positions, symbols, dist, numbers, sizes}),
            1);
  EXPECT_EQ(positions, xyz);
  EXPECT_EQ(sizes[0], 3);
}

// Shells laid out as the search sees them: one run of atoms per shell, positions and distances.
struct Runs {
  std::vector<double> xyz;
  std::vector<double> distances;
  std::vector<int> numbers;
  std::vector<int> sizes;

  void add_shell(const std::vector<std::array<double, 3>>& atoms) {
    sizes.push_back(static_cast<int>(atoms.size()));
    for (const auto& a : atoms) {
      xyz.insert(xyz.end(), a.begin(), a.end());
      distances.push_back(std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]));
      numbers.push_back(static_cast<int>(sizes.size()));
    }
  }
  symmetry::ShellAtoms view() const {
    return {xyz,
            distances,
            numbers,
            sizes,
            static_cast<int>(distances.size()),
            static_cast<int>(sizes.size())};
  }
};

// The lookup order only spares measuring atoms: it must find the atom the walk through the run
// finds, for both picks, on shells larger and smaller than a block, at lattice points, where
// images fall between atoms and where two atoms are equally near.
TEST(ShellLookup, FindsTheAtomTheWalkFinds) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  Runs runs;
  std::vector<std::array<double, 3>> lattice, sphere, flat;
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 6; ++j)
      for (int k = 0; k < 3; ++k)
        lattice.push_back({1.5 * i - 3.0, 1.5 * j - 3.75, 1.5 * k - 1.5});
  for (int i = 0; i < 70; ++i) {
    const std::array<double, 3> d{unit(rng), unit(rng), unit(rng)};
    const double r = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    sphere.push_back({6 * d[0] / r, 6 * d[1] / r, 6 * d[2] / r});
  }
  for (int i = 0; i < 20; ++i) // all at one z and one y: two of the axes have no spread
    flat.push_back({0.5 * i - 5.0, 2.0, 2.0});
  runs.add_shell(lattice);
  runs.add_shell({{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}});
  runs.add_shell(sphere);
  runs.add_shell(flat);
  const symmetry::ShellAtoms walk = runs.view();
  const auto n = static_cast<std::size_t>(walk.natoms);
  std::vector<int> order(n), axes(2 * n);
  std::vector<double> ranges(2 * n);
  symmetry::ShellAtoms looked = walk;
  looked.lookup = symmetry::order_shells(walk, order, axes, ranges);

  int compared = 0, found = 0;
  for (int shell = 1; shell <= walk.nshell; ++shell) {
    for (const double thrsym : {0.3, 0.7499, 1.2}) {
      for (int probe = 0; probe < 400; ++probe) {
        // Near an atom of the shell, or halfway between two of them.
        const symmetry::ShellRun run = symmetry::shell_run(walk, shell);
        const int size = run.last - run.first;
        const int a = run.first + static_cast<int>(rng() % static_cast<unsigned>(size));
        const int b = run.first + static_cast<int>(rng() % static_cast<unsigned>(size));
        double y[3];
        for (int k = 0; k < 3; ++k) {
          y[k] = probe % 3 == 0 ? 0.5 * (walk.position(a)[k] + walk.position(b)[k])
                                : walk.position(a)[k] + (probe % 3 == 1 ? 0.0 : thrsym * unit(rng));
        }
        for (const symmetry::Pick pick : {symmetry::Pick::first, symmetry::Pick::nearest}) {
          const int expected = symmetry::hitit(walk, y, shell, thrsym, pick);
          EXPECT_EQ(symmetry::hitit(looked, y, shell, thrsym, pick), expected)
              << "shell " << shell << " thrsym " << thrsym << " probe " << probe;
          ++compared;
          found += expected != 0 ? 1 : 0;
        }
      }
    }
  }
  // Both answers occur often enough to mean something.
  EXPECT_GT(found, compared / 4);
  EXPECT_LT(found, compared);

  // Atoms 91 and 92 lie 1 from the origin: the nearest is the lower number, not the lower x.
  const double origin[3] = {0, 0, 0};
  EXPECT_EQ(symmetry::hitit(looked, origin, 2, 1.5, symmetry::Pick::nearest), 91);
}

} // namespace
