#include "tools/batch/progress.hpp"

#include <iostream>
#include <sstream>

#include <unistd.h>

#include "tools/core/field_text.hpp"
#include "tools/core/run_outcome.hpp"

namespace tools {

namespace {

constexpr auto log_interval = std::chrono::seconds(10);
constexpr auto redraw_interval = std::chrono::milliseconds(250);
constexpr const char* erase_line = "\r\x1b[K";

double seconds_between(std::chrono::steady_clock::time_point from,
                       std::chrono::steady_clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

} // namespace

Progress::Progress(std::optional<std::size_t> total)
    : total_(total), terminal_(::isatty(STDERR_FILENO) == 1) {}

Progress::~Progress() { clear_line(); }

void Progress::clear_line() {
  if (drawn_)
    std::cerr << erase_line << std::flush;
  drawn_ = false;
}

std::string Progress::state_line(std::chrono::steady_clock::time_point now) const {
  const double elapsed = seconds_between(start_, now);
  std::ostringstream line;
  line << "ffbatch: " << done_;
  if (total_)
    line << "/" << *total_;
  line << " molecules done, " << failed_ << " failed runs, " << static_cast<long long>(elapsed)
       << " s";
  if (!terminal_ || elapsed <= 0.0)
    return line.str();
  const double rate = static_cast<double>(done_ - passed_) / elapsed;
  line << ", " << fixed_decimals(rate, 1) << " molecules/s";
  if (total_ && rate > 0.0 && *total_ >= done_)
    line << ", " << static_cast<long long>(static_cast<double>(*total_ - done_) / rate)
         << " s left";
  return line.str();
}

void Progress::finished(const std::vector<StatusLine>& lines) {
  const std::lock_guard lock(mutex_);
  ++done_;
  for (const StatusLine& line : lines) {
    const bool failed = !succeeded(line);
    const std::string warning = failed ? line.outcome : symmetry_warning(line);
    failed_ += failed ? 1 : 0;
    // A skipped molecule was reported with its reason when it was prepared.
    if (!warning.empty() && outcome_of(line.outcome) != Outcome::skipped) {
      clear_line();
      std::cerr << "ffbatch: " << line.molecule << ": " << line.program << ": " << warning << '\n';
    }
  }
  const auto now = std::chrono::steady_clock::now();
  if (now - last_ < (terminal_ ? std::chrono::steady_clock::duration(redraw_interval)
                               : std::chrono::steady_clock::duration(log_interval)))
    return;
  last_ = now;
  if (terminal_) {
    std::cerr << erase_line << state_line(now) << std::flush;
    drawn_ = true;
  } else {
    std::cerr << state_line(now) << '\n';
  }
}

void Progress::passed_over() {
  const std::lock_guard lock(mutex_);
  ++done_;
  ++passed_;
}

void Progress::set_total(std::size_t total) {
  const std::lock_guard lock(mutex_);
  total_ = total;
}

int batch_end(std::size_t failures, std::size_t runs, const std::filesystem::path& status) {
  if (failures == 0)
    return 0;
  std::cerr << "ffbatch: " << failures << " of " << runs << " runs failed (see " << status.string()
            << ")\n";
  return 1;
}

} // namespace tools
