#include "tools/process.hpp"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tools/text.hpp"

extern char** environ;

namespace tools {

namespace fs = std::filesystem;

namespace {

bool is_executable(const fs::path& path) {
  return fs::is_regular_file(path) && ::access(path.c_str(), X_OK) == 0;
}

// posix_spawn file actions that a destructor releases.
class FileActions {
public:
  FileActions() { ::posix_spawn_file_actions_init(&actions_); }
  ~FileActions() { ::posix_spawn_file_actions_destroy(&actions_); }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

private:
  posix_spawn_file_actions_t actions_;
};

} // namespace

ChildResult run_child(const fs::path& program, const ChildFiles& files) {
  ChildResult result;
  // The paths are made absolute first: the child opens them after changing its folder.
  const fs::path input = fs::absolute(files.input);
  const fs::path output = fs::absolute(files.output);
  const fs::path errors = fs::absolute(files.errors);
  constexpr mode_t file_mode = 0644;
  FileActions actions;
  ::posix_spawn_file_actions_addchdir_np(actions.get(), files.folder.c_str());
  ::posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, input.c_str(), O_RDONLY, 0);
  ::posix_spawn_file_actions_addopen(actions.get(), STDOUT_FILENO, output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, file_mode);
  ::posix_spawn_file_actions_addopen(actions.get(), STDERR_FILENO, errors.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, file_mode);
  std::string name = program.string();
  char* argv[] = {name.data(), nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int rc = ::posix_spawn(&pid, program.c_str(), actions.get(), nullptr, argv, environ);
  if (rc != 0) {
    result.error = "cannot start " + name + ": " + std::strerror(rc);
    return result;
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) {
      result.error = "lost the child process of " + name;
      return result;
    }
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.started = true;
  if (WIFEXITED(status))
    result.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status))
    result.signal = WTERMSIG(status);
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
