#include "tools/core/process.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

namespace {

// A request that crashes or hangs its worker costs only itself: the next one gets a new child.
TEST(IsolatedWorker, ACrashOrAHangCostsOnlyItsRequest) {
  tools::IsolatedWorker worker(
      [](std::string_view request) -> std::string {
        if (request == "crash")
          std::abort(); // a SIGSEGV would be caught by AddressSanitizer in the sanitize build
        if (request == "hang")
          std::this_thread::sleep_for(std::chrono::hours(1));
        return "answer to " + std::string(request);
      },
      1);
  EXPECT_EQ(worker.ask("one").text, "answer to one");
  const tools::IsolatedResult crash = worker.ask("crash");
  EXPECT_TRUE(crash.failure.starts_with("crashed (signal 6")) << crash.failure;
  EXPECT_EQ(worker.ask("two").text, "answer to two");
  EXPECT_EQ(worker.ask("hang").failure, "took longer than 1 s");
  EXPECT_EQ(worker.ask(std::string(1 << 20, 'x')).text.size(), (1u << 20) + 10);
}

} // namespace
