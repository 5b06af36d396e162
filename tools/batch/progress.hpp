// What a running batch tells its user on standard error: each failed run (and each symmetry
// warning) as it finishes, and how far the batch has come: on a terminal a line redrawn a few
// times a second (molecules done, of how many when known, molecules per second, time left,
// failures), elsewhere a line every ten seconds.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "tools/core/status.hpp"

namespace tools {

class Progress {
public:
  // total: the molecules of the batch, when they are known beforehand.
  explicit Progress(std::optional<std::size_t> total = std::nullopt);
  // Ends the redrawn line.
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // One molecule finished with these status lines (they name it). Safe from several threads.
  void finished(const std::vector<StatusLine>& lines);

  // One molecule an earlier run finished: done, but not part of this run's rate.
  void passed_over();

  // The molecules of the batch, once they are counted.
  void set_total(std::size_t total);

private:
  std::string state_line(std::chrono::steady_clock::time_point now) const;
  void clear_line();

  std::mutex mutex_;
  std::optional<std::size_t> total_;
  bool terminal_;
  bool drawn_ = false;
  std::size_t done_ = 0;
  std::size_t passed_ = 0; // of done_, those an earlier run finished
  std::size_t failed_ = 0;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point last_ = start_;
};

// The end of a batch whose status.tsv holds runs lines of which failures failed: says so on
// standard error when any did, and returns the exit status (0 all succeeded, 1 otherwise).
int batch_end(std::size_t failures, std::size_t runs, const std::filesystem::path& status);

} // namespace tools
