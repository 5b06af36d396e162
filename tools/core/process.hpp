// Child processes: one program run in its own folder, with standard input from a file and
// standard output and error to files. No shell is involved, so no name is ever interpreted.
// A child dies with the thread that started it, so that a batch killed at any moment leaves no
// program writing on in its folders.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

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

// Runs program and waits for it; with timeout_seconds above 0 it is killed (SIGKILL) when it
// runs longer than that.
ChildResult run_child(const std::filesystem::path& program, const ChildFiles& files,
                      int timeout_seconds = 0);

// What a request to an isolated worker gave: the answer, or why there is none.
struct IsolatedResult {
  std::string text;    // the answer
  std::string failure; // not empty: "took longer than 10 s", "crashed (signal 11, ...)", ...
};

// A child process that answers requests one at a time with work(request), so that a request on
// which work crashes, hangs or runs out of memory costs only that request: the child is killed
// (after timeout_seconds, when that is above 0) and the next request starts a new one. The child
// is forked from this process at the first request: create and use the worker only while no
// other thread runs (the child has only the calling thread).
class IsolatedWorker {
public:
  IsolatedWorker(std::function<std::string(std::string_view)> work, int timeout_seconds);
  ~IsolatedWorker();
  IsolatedWorker(const IsolatedWorker&) = delete;
  IsolatedWorker& operator=(const IsolatedWorker&) = delete;

  IsolatedResult ask(std::string_view request);

private:
  void start();
  std::string stop(bool kill);

  std::function<std::string(std::string_view)> work_;
  int timeout_seconds_;
  int pid_ = -1;
  int socket_ = -1;
};

// The path of the running executable.
std::filesystem::path own_executable();

// The program named: the given path when there is one (an error when it is not executable),
// otherwise the executable of that name beside this one, otherwise the first in PATH.
std::filesystem::path locate_program(const std::string& name, const std::string& given);

} // namespace tools
