#include "tools/batch/progress.hpp"

#include <iostream>

#include "tools/core/run_outcome.hpp"

namespace tools {

namespace {

constexpr auto progress_interval = std::chrono::seconds(10);

} // namespace

void Progress::finished(const std::vector<StatusLine>& lines) {
  const std::lock_guard lock(mutex_);
  ++done_;
  for (const StatusLine& line : lines) {
    if (!succeeded(line)) {
      ++failed_;
      std::cerr << "ffbatch: " << line.molecule << ": " << line.program << ": " << line.outcome
                << '\n';
    } else if (const std::string warning = symmetry_warning(line); !warning.empty()) {
      std::cerr << "ffbatch: " << line.molecule << ": " << line.program << ": " << warning << '\n';
    }
  }
  const auto now = std::chrono::steady_clock::now();
  if (now - last_ < progress_interval)
    return;
  last_ = now;
  const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now - start_).count();
  std::cerr << "ffbatch: " << done_;
  if (total_)
    std::cerr << "/" << *total_;
  std::cerr << " molecules done, " << failed_ << " failed runs, " << elapsed << " s\n";
}

int batch_end(std::size_t failures, std::size_t runs, const std::filesystem::path& status) {
  if (failures == 0)
    return 0;
  std::cerr << "ffbatch: " << failures << " of " << runs << " runs failed (see " << status.string()
            << ")\n";
  return 1;
}

} // namespace tools
