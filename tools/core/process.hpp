// Child processes: one program run in its own folder, with standard input from a file and
// standard output and error to files. No shell is involved, so no name is ever interpreted.
// A child dies with the thread that started it, so that a batch killed at any moment leaves no
// program writing on in its folders.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

struct ChildResult {
  bool started = false;
  int exit_status = -1;   // when it exited
  int signal = 0;         // when a signal ended it
  bool timed_out = false; // killed at its time limit
  int timeout_seconds = 0;
  std::string error;    // why it could not be started
  double seconds = 0.0; // wall time
};

struct ChildFiles {
  std::filesystem::path folder; // the working folder
  std::filesystem::path input;  // standard input
  std::filesystem::path output; // standard output (created or emptied)
  std::filesystem::path errors; // standard error (created or emptied)
};

// Runs program (with the arguments) and waits for it; with timeout_seconds above 0 it is killed
// (SIGKILL) when it runs longer than that.
ChildResult run_child(const std::filesystem::path& program, const ChildFiles& files,
                      int timeout_seconds = 0, std::vector<std::string> arguments = {});

// What a request to an isolated worker gave: the answer, or why there is none.
struct IsolatedResult {
  std::string text;    // the answer
  std::string failure; // not empty: "took longer than 10 s", "crashed (signal 11, ...)", ...
  bool late = false;   // the child was killed at the time limit
  int signal = 0;      // the signal that ended the child, when one did
};

// A child process that answers requests one at a time with work(request), so that a request on
// which work crashes, hangs or runs out of memory costs only that request: the child is killed
// (after timeout_seconds, when that is above 0) and the next request starts a new one. The child
// is forked from this process at the first request: create and use the worker only while no
// other thread runs (the child has only the calling thread).
// A request is sent, then its result collected; between the two the caller may watch
// descriptor() and deadline() beside other work, which is how a pool drives several workers.
class IsolatedWorker {
public:
  using Clock = std::chrono::steady_clock;

  IsolatedWorker(std::function<std::string(std::string_view)> work, int timeout_seconds);
  ~IsolatedWorker();
  IsolatedWorker(const IsolatedWorker&) = delete;
  IsolatedWorker& operator=(const IsolatedWorker&) = delete;

  // Hands request to the child (started when there is none) and sets the deadline of its
  // answer. The worker must not be busy.
  void send(std::string_view request);
  // Whether a request was sent and its result is not collected yet.
  bool busy() const { return busy_; }
  // While busy: readable once the answer begins or the child has ended.
  int descriptor() const { return socket_; }
  // While busy: when the child is killed unless its answer is there; none without a time limit.
  std::optional<Clock::time_point> deadline() const { return deadline_; }
  // The result of the request sent: waits for the whole answer until the deadline, when the
  // child is killed ("took longer than 10 s"), or says how the child ended.
  IsolatedResult collect();
  // Kills the child when it is on a request whose result nobody will collect.
  void abandon();
  // send, then collect.
  IsolatedResult ask(std::string_view request);

private:
  void start();
  ChildResult stop(bool kill);

  std::function<std::string(std::string_view)> work_;
  int timeout_seconds_;
  int pid_ = -1;
  int socket_ = -1;
  bool busy_ = false;
  bool delivered_ = false; // the request sent reached the child's socket
  std::optional<Clock::time_point> deadline_;
};

// Isolated workers fed from one thread: each request goes to an idle worker and the results are
// taken in request order. A request whose worker crashes, hangs past the time limit or runs out
// of memory gets the failure its IsolatedWorker gives, and a new child takes the next request.
// It forks only from the calling thread and starts no thread, so it may be used wherever an
// IsolatedWorker may.
class IsolatedPool {
public:
  // The window of run() without one: enough results waiting behind a slow request to keep
  // every worker busy meanwhile, yet a bounded number.
  static constexpr std::size_t window_per_worker = 64;

  // At least one worker, whatever workers says.
  IsolatedPool(const std::function<std::string(std::string_view)>& work, int workers,
               int timeout_seconds);

  // Asks next() for requests until it gives none, runs them on the workers and hands each
  // result to take(index, result) in request order (index from 0). At most window requests
  // (at least one) are between being handed out by next() and being taken, so memory stays
  // bounded however many requests there are and however slow one is. When next() or take()
  // throws, the requests still running are abandoned with their children.
  void run(const std::function<std::optional<std::string>()>& next,
           const std::function<void(std::size_t index, IsolatedResult&& result)>& take,
           std::size_t window);
  void run(const std::function<std::optional<std::string>()>& next,
           const std::function<void(std::size_t index, IsolatedResult&& result)>& take) {
    run(next, take, window_per_worker * workers_.size());
  }

private:
  std::vector<std::unique_ptr<IsolatedWorker>> workers_;
};

// The path of the running executable.
std::filesystem::path own_executable();

// The program named: the given path when there is one (an error when it is not executable),
// otherwise the executable of that name beside this one, otherwise the first in PATH.
std::filesystem::path locate_program(const std::string& name, const std::string& given);

} // namespace tools
