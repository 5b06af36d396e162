#include "tools/core/cpu_share.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Cpus = std::vector<int>;

TEST(CpuShare, WorkersSplitTheCpusOrTakeOneEachInTurn) {
  const Cpus four{0, 1, 4, 5};
  EXPECT_EQ(tools::cpu_share(four, 0, 1), four);
  EXPECT_EQ(tools::cpu_share(four, 0, 2), (Cpus{0, 1}));
  EXPECT_EQ(tools::cpu_share(four, 1, 2), (Cpus{4, 5}));
  EXPECT_EQ(tools::cpu_share(four, 0, 3), (Cpus{0}));
  EXPECT_EQ(tools::cpu_share(four, 1, 3), (Cpus{1}));
  EXPECT_EQ(tools::cpu_share(four, 2, 3), (Cpus{4, 5}));
  const Cpus two{0, 1};
  EXPECT_EQ(tools::cpu_share(two, 2, 3), (Cpus{0}));
  EXPECT_EQ(tools::cpu_share(two, 1, 3), (Cpus{1}));
}

} // namespace
