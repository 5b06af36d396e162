#include "tools/core/files.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <sstream>
#include <sys/statvfs.h>
#include <unistd.h>

#include "tools/core/tool_error.hpp"

namespace tools {

namespace {

constexpr mode_t file_mode = 0644;

// Removes the temporary file and reports the errno of the failed call.
[[noreturn]] void write_failed(const std::filesystem::path& path,
                               const std::filesystem::path& temp) {
  const int error = errno;
  ::unlink(temp.c_str());
  const std::string what = "cannot write " + path.string() + ": " + std::strerror(error);
  if (error == ENOSPC || error == EDQUOT)
    throw DiskFull(what);
  throw ToolError(what);
}

} // namespace

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw ToolError("cannot read " + path.string());
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad())
    throw ToolError("cannot read " + path.string());
  return text.str();
}

std::vector<std::string> split_lines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos)
      end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    lines.emplace_back(line);
    pos = end + 1;
  }
  return lines;
}

void write_file_atomic(const std::filesystem::path& path, std::string_view text) {
  if (path == "-") {
    std::cout << text << std::flush;
    return;
  }
  // The process id keeps concurrent writers of one folder apart.
  std::filesystem::path temp = path;
  temp += ".tmp" + std::to_string(::getpid());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, file_mode);
  if (fd < 0)
    write_failed(path, temp);
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      errno = error;
      write_failed(path, temp);
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0 || ::rename(temp.c_str(), path.c_str()) != 0)
    write_failed(path, temp);
}

void check_space(const std::filesystem::path& folder) {
  struct statvfs space {};
  if (::statvfs(folder.c_str(), &space) == 0 && space.f_bavail == 0)
    throw DiskFull("no space left on the device of " + folder.string());
}

} // namespace tools
