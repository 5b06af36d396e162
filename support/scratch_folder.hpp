// A folder of a test's own: made with a unique name under the system's temporary folder, removed
// with everything in it when the object goes, so that two runs of the tests never share one.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace support {

class ScratchFolder {
public:
  // stem starts the folder's name; mkdtemp adds six random characters.
  explicit ScratchFolder(const std::string& stem) {
    std::string pattern = (std::filesystem::temp_directory_path() / (stem + "_XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
      throw std::runtime_error("cannot make a scratch folder from " + pattern);
    path_ = pattern;
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

private:
  std::filesystem::path path_;
};

// Runs a scope in a folder and goes back to where it was when the scope ends.
class InFolder {
public:
  explicit InFolder(const std::filesystem::path& folder)
      : before_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;
  ~InFolder() {
    std::error_code ignored;
    std::filesystem::current_path(before_, ignored);
  }

private:
  std::filesystem::path before_;
};

} // namespace support
