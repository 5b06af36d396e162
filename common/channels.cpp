#include "common/channels.hpp"

#include <array>
#include <cstdio>
#include <ostream>

namespace common {

namespace {

constexpr int unit_count = 10;

// A file of the channels: created, or emptied, when it is opened.
struct File {
  const char* name;
  std::FILE* handle = nullptr;
};

// The units write through C streams: standard output as the C library buffers it, and no
// iostream to set up when a program starts.
struct Units {
  File debug{"debug"};  // the listing opened by name
  File fort8{"fort.8"}; // the listing when none is open by name
  File fort9{"fort.9"}; // the trace file
  std::array<std::ostream*, unit_count> redirected{};
};

Units& units() {
  static Units u;
  return u;
}

std::FILE* opened(File& file) {
  if (file.handle == nullptr)
    file.handle = std::fopen(file.name, "w");
  return file.handle;
}

void close(File& file) {
  if (file.handle != nullptr) {
    std::fclose(file.handle);
    file.handle = nullptr;
  }
}

std::ostream* redirected(int unit) {
  return unit >= 0 && unit < unit_count ? units().redirected[unit] : nullptr;
}

// The C stream of a unit that is not redirected (null when its file cannot be created).
std::FILE* file_for(int unit) {
  Units& u = units();
  switch (unit) {
  case listing_unit:
    return u.debug.handle != nullptr ? u.debug.handle : opened(u.fort8);
  case trace_unit:
    return opened(u.fort9);
  case stderr_unit:
    return stderr;
  default:
    return stdout;
  }
}

} // namespace

void write_record(int unit, std::string_view record) {
  if (std::ostream* sink = redirected(unit)) {
    *sink << record << '\n';
  } else if (std::FILE* file = file_for(unit)) {
    if (!record.empty()) // an empty view may hold no pointer at all
      std::fwrite(record.data(), 1, record.size(), file);
    std::fputc('\n', file);
  }
}

void flush_unit(int unit) {
  if (std::ostream* sink = redirected(unit))
    sink->flush();
  else if (std::FILE* file = file_for(unit))
    std::fflush(file);
}

void open_listing() {
  Units& u = units();
  if (u.redirected[listing_unit] == nullptr)
    opened(u.debug);
}

void close_listing() { close(units().debug); }

void close_all_units() {
  Units& u = units();
  std::fflush(stdout);
  for (File* file : {&u.debug, &u.fort8, &u.fort9})
    close(*file);
}

void redirect_unit(int unit, std::ostream* sink) {
  if (unit >= 0 && unit < unit_count)
    units().redirected[unit] = sink;
}

} // namespace common
