#include "symmetry/shells.hpp"

#include <gtest/gtest.h>

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

} // namespace
