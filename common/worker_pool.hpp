// Threads for the programs' few parallel loops: how many the process may run on, and a small pool
// that shares the parts of a job out among them.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace common {

// The CPUs the process may run on: its affinity mask (which taskset, a batch slot or a cluster
// scheduler narrows), at least 1.
int available_cpus();

// threads - 1 workers beside the calling thread, started once and joined by the destructor. A
// pool of 1 starts none and runs every job in the calling thread.
class WorkerPool {
public:
  explicit WorkerPool(int threads);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  // The threads that take parts, the calling one included; fewer than asked when the system
  // would not start them all.
  int size() const { return static_cast<int>(workers_.size()) + 1; }

  // Runs task(part) once for every part in [0, parts) on the pool's threads and returns when all
  // are done. When a part throws, the parts not yet begun are skipped and the first exception
  // is thrown here, after every thread has let go of the task.
  void run(int parts, const std::function<void(int)>& task);

private:
  void work();
  void take_parts();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable finished_;
  const std::function<void(int)>* task_ = nullptr;
  int parts_ = 0;
  int next_part_ = 0;
  // Written under the mutex; read awake without it.
  std::atomic<int> busy_ = 0;
  std::atomic<std::uint64_t> job_ = 0;
  std::atomic<bool> stopping_ = false;
  std::exception_ptr error_;
  std::vector<std::thread> workers_;
};

} // namespace common
