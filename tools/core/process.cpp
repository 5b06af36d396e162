#include "tools/core/process.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tools/core/tool_error.hpp"

extern char** environ;

namespace tools {

namespace fs = std::filesystem;

namespace {

bool is_executable(const fs::path& path) {
  return fs::is_regular_file(path) && ::access(path.c_str(), X_OK) == 0;
}

constexpr mode_t file_mode = 0644;
constexpr int exec_failed_status = 127;

// What the child opens; prepared before the fork, since the child may only make system calls.
struct ChildPaths {
  std::string program, folder, input, output, errors;
  std::vector<char*> argv; // the program, its arguments, then nullptr
};

// In the child: errno to the parent through the pipe, then out.
[[noreturn]] void child_failed(int report) {
  const int error = errno;
  [[maybe_unused]] const ssize_t written = ::write(report, &error, sizeof error);
  ::_exit(exec_failed_status);
}

void redirect(int fd, const std::string& path, int flags, int report) {
  const int opened = ::open(path.c_str(), flags, file_mode);
  if (opened < 0 || ::dup2(opened, fd) < 0)
    child_failed(report);
  ::close(opened);
}

// In the child, between fork and exec: async-signal-safe calls only.
[[noreturn]] void exec_child(const ChildPaths& paths, pid_t parent, int report) {
  if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent)
    ::_exit(exec_failed_status);
  if (::chdir(paths.folder.c_str()) != 0)
    child_failed(report);
  redirect(STDIN_FILENO, paths.input, O_RDONLY, report);
  redirect(STDOUT_FILENO, paths.output, O_WRONLY | O_CREAT | O_TRUNC, report);
  redirect(STDERR_FILENO, paths.errors, O_WRONLY | O_CREAT | O_TRUNC, report);
  ::execve(paths.program.c_str(), paths.argv.data(), environ);
  child_failed(report);
}

using Clock = std::chrono::steady_clock;

// The poll(2) timeout that ends at the deadline: rounded up, so that a wait never ends just
// before it; -1 (no end) without a deadline.
int poll_timeout(std::optional<Clock::time_point> deadline) {
  if (!deadline)
    return -1;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
  return static_cast<int>(std::max<long>(0, left.count()));
}

// Waits until fd can be read (a socket with data, a pidfd of an ended process) or the deadline
// passes; false at the deadline.
bool readable_by(int fd, std::optional<Clock::time_point> deadline) {
  for (;;) {
    pollfd watch{fd, POLLIN, 0};
    const int ready = ::poll(&watch, 1, poll_timeout(deadline));
    if (ready >= 0 || errno != EINTR)
      return ready != 0;
  }
}

// Waits up to timeout_seconds for the child to end; false when it is still running then.
bool ended_in_time(pid_t pid, int timeout_seconds) {
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (pidfd < 0) {
    const int error = errno;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    throw ToolError(std::string("cannot watch a program's time: ") + std::strerror(error));
  }
  const bool ended = readable_by(pidfd, Clock::now() + std::chrono::seconds(timeout_seconds));
  ::close(pidfd);
  return ended;
}

// The child's exit status or signal, once it has ended.
void reap(pid_t pid, ChildResult& result) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR)
      throw ToolError("lost the child process of a program");
  if (WIFEXITED(status))
    result.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status))
    result.signal = WTERMSIG(status);
}

// The errno the child reported before its exec, 0 when the exec succeeded (the pipe closed).
int start_error(int report) {
  int error = 0;
  ssize_t got = 0;
  do
    got = ::read(report, &error, sizeof error);
  while (got < 0 && errno == EINTR);
  return got == static_cast<ssize_t>(sizeof error) ? error : 0;
}

// Messages between a worker and its child: the length, then the bytes.
using MessageLength = std::uint64_t;

bool send_all(int socket, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t sent = ::send(socket, data, size, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR)
      continue;
    if (sent <= 0)
      return false;
    data += sent;
    size -= static_cast<std::size_t>(sent);
  }
  return true;
}

bool send_message(int socket, std::string_view text) {
  const MessageLength length = text.size();
  return send_all(socket, reinterpret_cast<const char*>(&length), sizeof length) &&
         send_all(socket, text.data(), text.size());
}

enum class Received { whole, closed, late };

Received receive_all(int socket, char* data, std::size_t size,
                     std::optional<Clock::time_point> deadline) {
  while (size > 0) {
    if (!readable_by(socket, deadline))
      return Received::late;
    const ssize_t got = ::recv(socket, data, size, 0);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      return Received::closed;
    data += got;
    size -= static_cast<std::size_t>(got);
  }
  return Received::whole;
}

Received receive_message(int socket, std::string& text, std::optional<Clock::time_point> deadline) {
  MessageLength length = 0;
  const Received head =
      receive_all(socket, reinterpret_cast<char*>(&length), sizeof length, deadline);
  if (head != Received::whole)
    return head;
  text.assign(static_cast<std::size_t>(length), '\0');
  return receive_all(socket, text.data(), text.size(), deadline);
}

// The child of a worker: answers until the parent closes its end, then leaves without running
// the parent's exit handlers.
[[noreturn]] void serve(const std::function<std::string(std::string_view)>& work, pid_t parent,
                        int socket) {
  if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent)
    ::_exit(EXIT_FAILURE);
  std::string request;
  while (receive_message(socket, request, std::nullopt) == Received::whole) {
    std::string answer;
    try {
      answer = work(request);
    } catch (...) {
      ::_exit(EXIT_FAILURE);
    }
    if (!send_message(socket, answer))
      ::_exit(EXIT_FAILURE);
  }
  ::_exit(EXIT_SUCCESS);
}

std::string ending_of(const ChildResult& child) {
  if (child.signal != 0)
    return "crashed (signal " + std::to_string(child.signal) + ", " + ::strsignal(child.signal) +
           ")";
  return "failed (exit status " + std::to_string(child.exit_status) + ")";
}

} // namespace

IsolatedWorker::IsolatedWorker(std::function<std::string(std::string_view)> work,
                               int timeout_seconds)
    : work_(std::move(work)), timeout_seconds_(timeout_seconds) {}

// The child is killed rather than told to leave by closing its socket: a sibling forked after it
// holds a copy of this end, so the child would never see the close.
IsolatedWorker::~IsolatedWorker() {
  if (pid_ > 0)
    stop(true);
}

void IsolatedWorker::start() {
  int sockets[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0)
    throw ToolError(std::string("cannot start a child process: ") + std::strerror(errno));
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(sockets[0]);
    serve(work_, parent, sockets[1]);
  }
  ::close(sockets[1]);
  if (pid < 0) {
    ::close(sockets[0]);
    throw ToolError(std::string("cannot start a child process: ") + std::strerror(errno));
  }
  pid_ = pid;
  socket_ = sockets[0];
}

// Ends the child (killed, or reaped when it has ended already) and says how it ended.
ChildResult IsolatedWorker::stop(bool kill) {
  if (kill)
    ::kill(pid_, SIGKILL);
  ::close(socket_);
  ChildResult child;
  reap(pid_, child);
  pid_ = -1;
  socket_ = -1;
  return child;
}

void IsolatedWorker::send(std::string_view request) {
  if (pid_ < 0)
    start();
  deadline_.reset();
  if (timeout_seconds_ > 0)
    deadline_ = Clock::now() + std::chrono::seconds(timeout_seconds_);
  delivered_ = send_message(socket_, request);
  busy_ = true;
}

IsolatedResult IsolatedWorker::collect() {
  busy_ = false;
  IsolatedResult result;
  const Received answer =
      delivered_ ? receive_message(socket_, result.text, deadline_) : Received::closed;
  if (answer == Received::whole)
    return result;
  result.text.clear();
  const ChildResult child = stop(answer == Received::late);
  result.late = answer == Received::late;
  result.signal = result.late ? 0 : child.signal;
  result.failure = result.late ? "took longer than " + std::to_string(timeout_seconds_) + " s"
                               : ending_of(child);
  return result;
}

void IsolatedWorker::abandon() {
  if (!busy_)
    return;
  busy_ = false;
  stop(true);
}

IsolatedResult IsolatedWorker::ask(std::string_view request) {
  send(request);
  return collect();
}

namespace {

// One run of a pool: the requests handed out and not yet taken, in request order, each with its
// result once there is one.
class PoolRun {
public:
  using Next = std::function<std::optional<std::string>()>;
  using Take = std::function<void(std::size_t, IsolatedResult&&)>;

  PoolRun(std::vector<std::unique_ptr<IsolatedWorker>>& workers, std::size_t window)
      : workers_(workers), window_(window), on_(workers.size()) {}
  // Whatever is still running is of no use to anyone once the run has ended.
  ~PoolRun() {
    for (const auto& worker : workers_)
      worker->abandon();
  }
  PoolRun(const PoolRun&) = delete;
  PoolRun& operator=(const PoolRun&) = delete;

  bool outstanding() const { return !results_.empty(); }

  // Hands results to take from the first request on, as far as they are there.
  void take_ready(const Take& take) {
    while (!results_.empty() && results_.front()) {
      IsolatedResult result = std::move(*results_.front());
      results_.pop_front();
      take(first_++, std::move(result));
    }
  }

  // Gives idle workers requests while the window allows; false once next gave none.
  bool hand_out(const Next& next) {
    for (std::size_t w = 0; w < workers_.size() && results_.size() < window_; ++w) {
      if (workers_[w]->busy())
        continue;
      const std::optional<std::string> request = next();
      if (!request)
        return false;
      workers_[w]->send(*request);
      on_[w] = first_ + results_.size();
      results_.emplace_back();
    }
    return true;
  }

  // Waits until a busy worker's answer is there or its deadline has passed, and collects the
  // result of every such worker.
  void wait() {
    std::vector<pollfd> watch;
    std::vector<std::size_t> whose;
    std::optional<Clock::time_point> soonest;
    for (std::size_t w = 0; w < workers_.size(); ++w) {
      const IsolatedWorker& worker = *workers_[w];
      if (!worker.busy())
        continue;
      watch.push_back({worker.descriptor(), POLLIN, 0});
      whose.push_back(w);
      if (worker.deadline() && (!soonest || *worker.deadline() < *soonest))
        soonest = worker.deadline();
    }
    if (::poll(watch.data(), watch.size(), poll_timeout(soonest)) < 0 && errno != EINTR)
      throw ToolError(std::string("cannot wait for the worker processes: ") + std::strerror(errno));
    const Clock::time_point now = Clock::now();
    for (std::size_t i = 0; i < watch.size(); ++i) {
      IsolatedWorker& worker = *workers_[whose[i]];
      if (watch[i].revents != 0 || (worker.deadline() && *worker.deadline() <= now))
        results_[on_[whose[i]] - first_] = worker.collect();
    }
  }

private:
  std::vector<std::unique_ptr<IsolatedWorker>>& workers_;
  std::size_t window_;
  std::vector<std::size_t> on_; // the request each busy worker is on
  std::size_t first_ = 0;       // the request of results_.front()
  std::deque<std::optional<IsolatedResult>> results_;
};

} // namespace

IsolatedPool::IsolatedPool(const std::function<std::string(std::string_view)>& work, int workers,
                           int timeout_seconds) {
  for (int w = 0; w < std::max(workers, 1); ++w)
    workers_.push_back(std::make_unique<IsolatedWorker>(work, timeout_seconds));
}

void IsolatedPool::run(const std::function<std::optional<std::string>()>& next,
                       const std::function<void(std::size_t, IsolatedResult&&)>& take,
                       std::size_t window) {
  PoolRun batch(workers_, std::max<std::size_t>(window, 1));
  for (bool more = true;;) {
    batch.take_ready(take);
    more = more && batch.hand_out(next);
    if (!batch.outstanding())
      return;
    batch.wait();
  }
}

ChildResult run_child(const fs::path& program, const ChildFiles& files, int timeout_seconds,
                      std::vector<std::string> arguments) {
  ChildResult result;
  result.timeout_seconds = timeout_seconds;
  // The paths are made absolute first: the child opens them after changing its folder.
  ChildPaths paths{program.string(),
                   files.folder.string(),
                   fs::absolute(files.input).string(),
                   fs::absolute(files.output).string(),
                   fs::absolute(files.errors).string(),
                   {}};
  paths.argv.push_back(paths.program.data());
  for (std::string& argument : arguments)
    paths.argv.push_back(argument.data());
  paths.argv.push_back(nullptr);
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0)
    throw ToolError(std::string("cannot start a program: ") + std::strerror(errno));
  const pid_t parent = ::getpid();
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0)
    exec_child(paths, parent, report[1]);
  ::close(report[1]);
  const int error = pid < 0 ? errno : start_error(report[0]);
  ::close(report[0]);
  if (pid > 0 && error == 0 && timeout_seconds > 0 && !ended_in_time(pid, timeout_seconds)) {
    ::kill(pid, SIGKILL);
    result.timed_out = true;
  }
  if (pid > 0)
    reap(pid, result);
  if (error != 0) {
    result.error = "cannot start " + paths.program + ": " + std::strerror(error);
    return result;
  }
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.started = true;
  return result;
}

fs::path own_executable() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec)
    throw ToolError("cannot find the path of this program");
  return self;
}

fs::path locate_program(const std::string& name, const std::string& given) {
  if (!given.empty()) {
    if (!is_executable(given))
      throw ToolError(given + ": not an executable program");
    return fs::absolute(given);
  }
  const fs::path beside = own_executable().parent_path() / name;
  if (is_executable(beside))
    return beside;
  const char* path = std::getenv("PATH");
  std::string_view dirs = path ? path : "";
  while (!dirs.empty()) {
    const std::size_t colon = dirs.find(':');
    const fs::path candidate = fs::path(std::string(dirs.substr(0, colon))) / name;
    if (!candidate.parent_path().empty() && is_executable(candidate))
      return fs::absolute(candidate);
    dirs = colon == std::string_view::npos ? "" : dirs.substr(colon + 1);
  }
  throw ToolError("cannot find " + name + " beside this program or in PATH; give --" + name);
}

} // namespace tools
