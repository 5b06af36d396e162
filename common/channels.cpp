#include "common/channels.hpp"

#include <array>
#include <cstdio>
#include <string>
#include <utility>

namespace common {

namespace {

constexpr int unit_count = 10;
// Collected text of a unit past which it is written out before the next flush; a cycle block
// of the largest molecule stays well below it, so that a block is still one write.
constexpr std::size_t pending_limit = std::size_t{1} << 18;

struct Units {
  std::FILE* debug = nullptr; // the listing opened by name
  std::FILE* fort8 = nullptr; // the listing when none is open by name
  std::FILE* fort9 = nullptr; // the trace file
  std::array<std::string, unit_count> pending;
  std::array<UnitSink, unit_count> redirected;

  // The channels write whole blocks themselves: the C library's buffer would only split them.
  Units() { std::setvbuf(stdout, nullptr, _IONBF, 0); }
};

Units& units() {
  static Units u;
  return u;
}

bool valid(int unit) { return unit >= 0 && unit < unit_count; }

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

std::FILE* file_for(int unit) {
  Units& u = units();
  switch (unit) {
  case listing_unit:
    return u.debug != nullptr ? u.debug : file_unit(u.fort8, unnamed_listing_file);
  case trace_unit:
    return file_unit(u.fort9, trace_file);
  case stderr_unit:
    return stderr;
  default:
    return stdout;
  }
}

// Hands the unit's collected text to its destination as it is now.
void write_out(int unit) {
  Units& u = units();
  std::string& text = u.pending[static_cast<std::size_t>(unit)];
  if (text.empty())
    return;
  if (const UnitSink& sink = u.redirected[static_cast<std::size_t>(unit)]) {
    sink(text);
  } else if (std::FILE* file = file_for(unit)) {
    std::fwrite(text.data(), 1, text.size(), file);
    std::fflush(file);
  }
  text.clear();
}

std::string& collected(int unit) {
  return units().pending[static_cast<std::size_t>(valid(unit) ? unit : stdout_unit)];
}

void bound(int unit) {
  if (collected(unit).size() >= pending_limit)
    write_out(valid(unit) ? unit : stdout_unit);
}

void close_file(std::FILE*& file) {
  if (file != nullptr)
    std::fclose(file);
  file = nullptr;
}

} // namespace

void write_record(int unit, std::string_view record) {
  std::string& text = collected(unit);
  text += record;
  text += '\n';
  bound(unit);
}

void write_lines(int unit, std::string_view lines) {
  collected(unit) += lines;
  bound(unit);
}

void flush_unit(int unit) { write_out(valid(unit) ? unit : stdout_unit); }

void open_listing() {
  Units& u = units();
  if (u.redirected[listing_unit] || u.debug != nullptr)
    return;
  write_out(listing_unit); // what went to "fort.8" stays there
  u.debug = open_unbuffered(listing_file);
}

void close_listing() {
  Units& u = units();
  if (u.debug == nullptr)
    return;
  write_out(listing_unit);
  close_file(u.debug);
}

void close_all_units() {
  for (const int unit : {stderr_unit, stdout_unit, listing_unit, trace_unit})
    write_out(unit);
  Units& u = units();
  for (std::FILE** file : {&u.debug, &u.fort8, &u.fort9})
    close_file(*file);
}

void redirect_unit(int unit, UnitSink sink) {
  if (!valid(unit))
    return;
  write_out(unit);
  units().redirected[static_cast<std::size_t>(unit)] = std::move(sink);
}

} // namespace common
