// The lock of an output folder, so that two ffbatch runs never share one. It is the kernel's
// lock on an open file, so it goes with the process however that ends (SIGKILL included).
#pragma once

#include <filesystem>

namespace tools {

class FolderLock {
public:
  // Takes the lock of folder (its file "ffbatch.lock"); ToolError naming the process that holds
  // it.
  explicit FolderLock(const std::filesystem::path& folder);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

private:
  int fd_;
};

} // namespace tools
