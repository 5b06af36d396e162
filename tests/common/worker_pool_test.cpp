#include "common/worker_pool.hpp"

#include <gtest/gtest.h>

#include <sched.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace {

TEST(WorkerPool, RunsEveryPartOnceOnAnyNumberOfThreads) {
  for (const int threads : {1, 2, 5}) {
    common::WorkerPool pool(threads);
    EXPECT_EQ(pool.size(), threads);
    for (int job = 0; job < 3; ++job) {
      std::vector<std::atomic<int>> runs(40);
      pool.run(40, [&](int part) { ++runs[static_cast<std::size_t>(part)]; });
      for (const auto& count : runs)
        EXPECT_EQ(count.load(), 1);
    }
  }
}

TEST(WorkerPool, AThrowingPartReachesTheCallerAndThePoolGoesOn) {
  common::WorkerPool pool(3);
  std::atomic<int> finished{0};
  const auto task = [&](int part) {
    if (part == 1)
      throw std::runtime_error("part 1");
    ++finished;
  };
  EXPECT_THROW(pool.run(3, task), std::runtime_error);
  EXPECT_LE(finished.load(), 2);
  finished = 0;
  pool.run(2, [&](int) { ++finished; });
  EXPECT_EQ(finished.load(), 2);
}

TEST(AvailableCpus, FollowsTheAffinityMask) {
  cpu_set_t saved;
  ASSERT_EQ(sched_getaffinity(0, sizeof saved, &saved), 0);
  EXPECT_EQ(common::available_cpus(), CPU_COUNT(&saved));
  int first = 0;
  while (!CPU_ISSET(first, &saved))
    ++first;
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(first, &one);
  ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
  EXPECT_EQ(common::available_cpus(), 1);
  ASSERT_EQ(sched_setaffinity(0, sizeof saved, &saved), 0);
}

} // namespace
