#include "tools/core/folder_lock.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "tools/core/batch_layout.hpp"
#include "tools/core/files.hpp"
#include "tools/core/tool_error.hpp"

namespace tools {

namespace {
constexpr mode_t lock_mode = 0644;
}

FolderLock::FolderLock(const std::filesystem::path& folder) {
  const std::filesystem::path file = folder / batch_layout::lock;
  fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, lock_mode);
  if (fd_ < 0)
    throw ToolError("cannot open " + file.string() + ": " + std::strerror(errno));
  // A record lock, not flock: the worker processes a run forks do not inherit it, so a run
  // killed with its workers still dying leaves the folder free at once.
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;
  if (::fcntl(fd_, F_SETLK, &whole) != 0) {
    const int error = errno;
    ::close(fd_);
    const std::vector<std::string> holder = split_lines(read_file(file));
    if (error == EACCES || error == EAGAIN)
      throw ToolError(folder.string() + " is in use by another ffbatch run" +
                      (holder.empty() ? "" : " (process " + holder[0] + ")"));
    throw ToolError("cannot lock " + file.string() + ": " + std::strerror(error));
  }
  // The holder's process id, for the message of a run that finds the folder taken.
  const std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd_, 0) != 0 || ::write(fd_, pid.data(), pid.size()) < 0) {
    const int error = errno;
    ::close(fd_);
    throw ToolError("cannot write " + file.string() + ": " + std::strerror(error));
  }
}

FolderLock::~FolderLock() { ::close(fd_); }

} // namespace tools
