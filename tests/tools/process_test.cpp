#include "tools/core/process.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// "crash" and "hang" do what they say, "sleep 50" sleeps 50 ms; every answer names its request.
std::string answer(std::string_view request) {
  if (request == "crash")
    std::abort(); // a SIGSEGV would be caught by AddressSanitizer in the sanitize build
  if (request == "hang")
    std::this_thread::sleep_for(std::chrono::hours(1));
  if (request.starts_with("sleep "))
    std::this_thread::sleep_for(
        std::chrono::milliseconds(std::stoi(std::string(request.substr(6)))));
  return "answer to " + std::string(request);
}

// A request that crashes or hangs its worker costs only itself: the next one gets a new child.
TEST(IsolatedWorker, ACrashOrAHangCostsOnlyItsRequest) {
  tools::IsolatedWorker worker(answer, 1);
  EXPECT_EQ(worker.ask("one").text, "answer to one");
  const tools::IsolatedResult crash = worker.ask("crash");
  EXPECT_TRUE(crash.failure.starts_with("crashed (signal 6")) << crash.failure;
  EXPECT_EQ(worker.ask("two").text, "answer to two");
  EXPECT_EQ(worker.ask("hang").failure, "took longer than 1 s");
  EXPECT_EQ(worker.ask(std::string(1 << 20, 'x')).text.size(), (1u << 20) + 10);
}

// What a pool's run gave: each result as text or failure, after checking the indices came in
// order; and the events "next" (a request handed out) and "take" in the order they happened.
struct PoolRunLog {
  std::vector<std::string> results;
  std::vector<std::string> events;
  std::size_t most_outstanding = 0;
};

PoolRunLog run_all(tools::IsolatedPool& pool, const std::vector<std::string>& requests,
                   std::size_t window) {
  PoolRunLog log;
  std::size_t asked = 0;
  pool.run(
      [&]() -> std::optional<std::string> {
        if (asked == requests.size())
          return std::nullopt;
        log.events.push_back("next");
        log.most_outstanding = std::max(log.most_outstanding, ++asked - log.results.size());
        return requests[asked - 1];
      },
      [&](std::size_t index, tools::IsolatedResult&& result) {
        EXPECT_EQ(index, log.results.size());
        log.events.push_back("take");
        log.results.push_back(result.failure.empty() ? result.text : result.failure);
      },
      window);
  return log;
}

std::vector<std::string> answers_to(const std::vector<std::string>& requests) {
  std::vector<std::string> answers;
  for (const std::string& request : requests)
    answers.push_back("answer to " + request);
  return answers;
}

// "wait" blocks until a later "release" has run, which only a pool running both at once gets
// through: the later request ends first, yet the results keep the order of the requests.
TEST(IsolatedPool, ResultsKeepRequestOrderWhenLaterRequestsEndFirst) {
  int meeting[2];
  ASSERT_EQ(::pipe(meeting), 0);
  const auto work = [&meeting](std::string_view request) {
    char byte = 0;
    if (request == "wait" && ::read(meeting[0], &byte, 1) != 1)
      return std::string("no release");
    if (request == "release" && ::write(meeting[1], &byte, 1) != 1)
      return std::string("no wait");
    return answer(request);
  };
  const std::vector<std::string> requests{"wait",     "sleep 60", "release", "sleep 0",
                                          "sleep 90", "sleep 20", "sleep 0", "sleep 0"};
  for (const int workers : {2, 3}) {
    tools::IsolatedPool pool(work, workers, 5);
    EXPECT_EQ(run_all(pool, requests, 64).results, answers_to(requests)) << workers << " workers";
  }
  ::close(meeting[0]);
  ::close(meeting[1]);
}

// With one worker the pool is one worker asked in turn: each result is taken before the next
// request is asked for.
TEST(IsolatedPool, OneWorkerTakesEachResultBeforeTheNextRequest) {
  tools::IsolatedPool pool(answer, 1, 5);
  const std::vector<std::string> requests{"a", "sleep 10", "b"};
  const PoolRunLog log = run_all(pool, requests, 64);
  EXPECT_EQ(log.results, answers_to(requests));
  EXPECT_EQ(log.events, (std::vector<std::string>{"next", "take", "next", "take", "next", "take"}));
}

TEST(IsolatedPool, ACrashOrAHangCostsOnlyItsRequest) {
  tools::IsolatedPool pool(answer, 2, 1);
  const std::vector<std::string> results =
      run_all(pool, {"a", "crash", "b", "hang", "c", "d", "crash", "e"}, 64).results;
  ASSERT_EQ(results.size(), 8u);
  EXPECT_TRUE(results[1].starts_with("crashed (signal 6")) << results[1];
  EXPECT_EQ(results[3], "took longer than 1 s");
  EXPECT_TRUE(results[6].starts_with("crashed (signal 6")) << results[6];
  for (const std::size_t answered : {0, 2, 4, 5, 7})
    EXPECT_TRUE(results[answered].starts_with("answer to ")) << results[answered];
}

// A slow first request holds back the results behind it; the window stops the requests there.
TEST(IsolatedPool, TheWindowBoundsTheRequestsOutstanding) {
  tools::IsolatedPool pool(answer, 2, 5);
  std::vector<std::string> requests{"sleep 200"};
  for (int i = 0; i < 20; ++i)
    requests.push_back(i % 7 == 0 ? "sleep 30" : std::to_string(i));
  for (const std::size_t window : {1, 3}) {
    const PoolRunLog log = run_all(pool, requests, window);
    EXPECT_EQ(log.results, answers_to(requests));
    EXPECT_EQ(log.most_outstanding, window);
  }
}

// A take that throws abandons the requests still running, even one that would never end: the
// pool stays usable, no late answer lands in its next run, and no child process is left behind.
TEST(IsolatedPool, ATakeThatThrowsAbandonsTheRequestsRunning) {
  {
    tools::IsolatedPool pool(answer, 3, 0);
    const std::vector<std::string> requests{"a", "hang", "sleep 100", "b"};
    std::size_t asked = 0;
    EXPECT_THROW(pool.run(
                     [&]() -> std::optional<std::string> {
                       return asked < requests.size() ? std::optional(requests[asked++])
                                                      : std::nullopt;
                     },
                     [](std::size_t, tools::IsolatedResult&&) {
                       throw std::runtime_error("no room for it");
                     }),
                 std::runtime_error);
    const std::vector<std::string> next_requests{"sleep 200", "c", "d", "e"};
    EXPECT_EQ(run_all(pool, next_requests, 64).results, answers_to(next_requests));
  }
  errno = 0;
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

} // namespace
