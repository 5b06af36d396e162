#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "kelma/topology.hpp"

namespace {

std::vector<int> bonds(int n, const std::vector<std::pair<int, int>>& pairs) {
  std::vector<int> conn(static_cast<std::size_t>(n * n), 0);
  for (auto [i, j] : pairs) {
    conn[static_cast<std::size_t>((i - 1) + (j - 1) * n)] = 1;
    conn[static_cast<std::size_t>((j - 1) + (i - 1) * n)] = 1;
  }
  return conn;
}

std::pair<int, int> count(int n, const std::vector<std::pair<int, int>>& pairs) {
  int nbend = -1;
  int ntors = -1;
  kelma::ffcount(n, bonds(n, pairs), nbend, ntors);
  return {nbend, ntors};
}

TEST(Ffcount, SmallMoleculesHaveNothing) {
  EXPECT_EQ(count(1, {}), std::make_pair(0, 0));
  EXPECT_EQ(count(2, {{1, 2}}), std::make_pair(0, 0));
}

TEST(Ffcount, ChainOfFour) { EXPECT_EQ(count(4, {{1, 2}, {2, 3}, {3, 4}}), std::make_pair(2, 1)); }

TEST(Ffcount, FourRing) {
  EXPECT_EQ(count(4, {{1, 2}, {2, 3}, {3, 4}, {4, 1}}), std::make_pair(4, 4));
}

TEST(Ffcount, ThreeRingAddsNoTorsions) {
  EXPECT_EQ(count(3, {{1, 2}, {2, 3}, {3, 1}}), std::make_pair(3, 0));
}

TEST(Ffcount, BranchedAtomsBoundTheOutOfPlaneEntries) {
  // A centre with three neighbours: three bends, 3 for the one way to pick three neighbours.
  EXPECT_EQ(count(4, {{1, 2}, {1, 3}, {1, 4}}), std::make_pair(3, 3));
  // Four neighbours: six bends, 3 x 4 ways to pick three of them, no torsion.
  EXPECT_EQ(count(5, {{1, 2}, {1, 3}, {1, 4}, {1, 5}}), std::make_pair(6, 12));
  // Ethane: 12 bends, 9 torsions, 3 x 4 for each of the two carbon centres.
  EXPECT_EQ(count(8, {{1, 2}, {1, 3}, {1, 4}, {1, 5}, {2, 6}, {2, 7}, {2, 8}}),
            std::make_pair(12, 9 + 24));
}

TEST(Ffcount, CompleteGraphsAndSelfBondsCountAsTheDefinitionSays) {
  // Five atoms all bonded: 5 apexes x 6 pairs of neighbours; for each of the 10 bonds j-k,
  // 3 x 3 end pairs less the 3 with the same atom at both ends, plus 3 x 4 per centre.
  std::vector<std::pair<int, int>> all;
  for (int i = 1; i <= 5; ++i)
    for (int j = i + 1; j <= 5; ++j)
      all.emplace_back(i, j);
  EXPECT_EQ(count(5, all), std::make_pair(30, 10 * 6 + 5 * 12));
  // A self-bond on atom 1 makes it an end of a torsion about 2-1 (3-2-1-1), but no bend.
  EXPECT_EQ(count(3, {{1, 2}, {2, 3}, {1, 1}}), std::make_pair(1, 1));
}

} // namespace
