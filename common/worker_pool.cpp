#include "common/worker_pool.hpp"

#include <sched.h>

#include <chrono>
#include <system_error>

namespace common {

namespace {

// Microseconds a thread that has finished a job waits awake for the next one, or the caller of
// run for the last worker: jobs of one computation follow each other closely, parts of one job
// end at about the same time, and waking a sleeping thread can take a tenth of a millisecond on
// a virtual machine.
constexpr int linger = 100;

// Waits awake until done() is true, for at most linger microseconds.
template <typename Done> void linger_until(Done done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::microseconds(linger);
  for (;;) {
    for (int poll = 0; poll < 64; ++poll) {
      if (done())
        return;
    }
    if (std::chrono::steady_clock::now() >= end)
      return;
    sched_yield(); // a thread that wants this CPU gets it
  }
}

} // namespace

int available_cpus() {
  cpu_set_t mask;
  CPU_ZERO(&mask);
  if (sched_getaffinity(0, sizeof mask, &mask) == 0 && CPU_COUNT(&mask) > 0)
    return CPU_COUNT(&mask);
  const unsigned hardware = std::thread::hardware_concurrency();
  return hardware > 0 ? static_cast<int>(hardware) : 1;
}

WorkerPool::WorkerPool(int threads) {
  for (int t = 1; t < threads; ++t) {
    try {
      workers_.emplace_back([this] { work(); });
    } catch (const std::system_error&) {
      break; // the threads that did start take the parts of the others
    }
  }
}

WorkerPool::~WorkerPool() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& worker : workers_)
    worker.join();
}

void WorkerPool::run(int parts, const std::function<void(int)>& task) {
  std::unique_lock lock(mutex_);
  task_ = &task;
  parts_ = parts;
  next_part_ = 0;
  error_ = nullptr;
  busy_ = static_cast<int>(workers_.size());
  ++job_;
  lock.unlock();
  wake_.notify_all();
  take_parts();
  linger_until([this] { return busy_.load() == 0; });
  lock.lock();
  finished_.wait(lock, [this] { return busy_ == 0; });
  task_ = nullptr;
  if (error_)
    std::rethrow_exception(error_);
}

void WorkerPool::work() {
  std::uint64_t seen = 0;
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || job_ != seen; });
    if (stopping_)
      return;
    seen = job_;
    lock.unlock();
    take_parts();
    lock.lock();
    if (--busy_ == 0)
      finished_.notify_one();
    lock.unlock();
    linger_until([&] { return job_.load() != seen || stopping_.load(); });
    lock.lock();
  }
}

// Claims parts of the current job until none is left.
void WorkerPool::take_parts() {
  for (;;) {
    std::unique_lock lock(mutex_);
    if (next_part_ >= parts_)
      return;
    const int part = next_part_++;
    const std::function<void(int)>& task = *task_;
    lock.unlock();
    try {
      task(part);
    } catch (...) {
      lock.lock();
      if (!error_)
        error_ = std::current_exception();
      next_part_ = parts_;
    }
  }
}

} // namespace common
