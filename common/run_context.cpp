#include "common/run_context.hpp"

#include <utility>

namespace common {

namespace {

// Collected text of a unit past which it is handed over before the next flush; a cycle block
// of the largest molecule stays well below it, so that a block is still one write.
constexpr std::size_t pending_limit = std::size_t{1} << 18;

std::FILE* open_unbuffered(const char* name) {
  std::FILE* file = std::fopen(name, "w");
  if (file != nullptr)
    std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

std::FILE* file_unit(std::FILE*& file, const char* name) {
  if (file == nullptr)
    file = open_unbuffered(name);
  return file;
}

void close_file(std::FILE*& file) {
  if (file != nullptr)
    std::fclose(file);
  file = nullptr;
}

} // namespace

RunContext::RunContext(std::string_view banner, UnitsTo where) : banner_(banner), where_(where) {}

RunContext::~RunContext() { close_all_units(); }

RunContext::Unit& RunContext::unit_at(int unit) {
  const bool valid = unit >= 0 && unit < unit_count;
  return units_[static_cast<std::size_t>(valid ? unit : stdout_unit)];
}

std::FILE* RunContext::file_for(int unit) {
  switch (unit) {
  case listing_unit:
    return debug_ != nullptr ? debug_ : file_unit(fort8_, unnamed_listing_file);
  case trace_unit:
    return file_unit(fort9_, trace_file);
  case stderr_unit:
    return stderr;
  default:
    return stdout;
  }
}

// Hands the unit's collected text to its destination as it is now.
void RunContext::hand_over(int unit) {
  Unit& u = unit_at(unit);
  if (u.pending.empty())
    return;
  if (u.sink) {
    u.sink(u.pending);
  } else if (where_ == UnitsTo::memory) {
    u.kept += u.pending;
  } else if (std::FILE* file = file_for(unit)) {
    std::fwrite(u.pending.data(), 1, u.pending.size(), file);
    std::fflush(file);
  }
  u.pending.clear();
}

void RunContext::bound(int unit) {
  if (unit_at(unit).pending.size() >= pending_limit)
    hand_over(unit);
}

void RunContext::write_record(int unit, std::string_view record) {
  if (!keeps_records())
    return;
  std::string& text = unit_at(unit).pending;
  text += record;
  text += '\n';
  bound(unit);
}

void RunContext::write_lines(int unit, std::string_view lines) {
  if (!keeps_records())
    return;
  unit_at(unit).pending += lines;
  bound(unit);
}

void RunContext::flush_unit(int unit) { hand_over(unit); }

void RunContext::open_listing() {
  if (where_ != UnitsTo::files || unit_at(listing_unit).sink || debug_ != nullptr)
    return;
  hand_over(listing_unit); // what went to "fort.8" stays there
  debug_ = open_unbuffered(listing_file);
}

void RunContext::close_listing() {
  if (debug_ == nullptr)
    return;
  hand_over(listing_unit);
  close_file(debug_);
}

void RunContext::close_all_units() {
  for (const int unit : {stderr_unit, stdout_unit, listing_unit, trace_unit})
    hand_over(unit);
  for (std::FILE** file : {&debug_, &fort8_, &fort9_})
    close_file(*file);
}

const std::string& RunContext::text(int unit) {
  hand_over(unit);
  return unit_at(unit).kept;
}

void RunContext::clear_texts() {
  for (Unit& u : units_) {
    u.pending.clear();
    u.kept.clear();
  }
}

void RunContext::send_to(int unit, UnitSink sink) {
  hand_over(unit);
  unit_at(unit).sink = std::move(sink);
}

} // namespace common
