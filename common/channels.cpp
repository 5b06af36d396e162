#include "common/channels.hpp"

#include <array>
#include <fstream>
#include <iostream>

namespace common {

namespace {

constexpr int unit_count = 10;

struct Units {
  std::ofstream debug; // the listing opened by name
  std::ofstream fort8; // the listing when none is open by name
  std::ofstream fort9; // the trace file
  std::array<std::ostream*, unit_count> redirected{};
};

Units& units() {
  static Units u;
  return u;
}

std::ostream& file_unit(std::ofstream& file, const char* name) {
  if (!file.is_open())
    file.open(name, std::ios::out | std::ios::trunc);
  return file;
}

std::ostream& stream_for(int unit) {
  Units& u = units();
  if (unit >= 0 && unit < unit_count && u.redirected[unit] != nullptr)
    return *u.redirected[unit];
  switch (unit) {
  case listing_unit:
    return u.debug.is_open() ? u.debug : file_unit(u.fort8, "fort.8");
  case trace_unit:
    return file_unit(u.fort9, "fort.9");
  default:
    return std::cout;
  }
}

} // namespace

void write_record(int unit, std::string_view record) {
  std::ostream& out = stream_for(unit);
  out << record << '\n';
}

void flush_unit(int unit) { stream_for(unit).flush(); }

void open_listing() {
  Units& u = units();
  if (u.redirected[listing_unit] != nullptr || u.debug.is_open())
    return;
  u.debug.open("debug", std::ios::out | std::ios::trunc);
}

void close_listing() {
  Units& u = units();
  if (u.debug.is_open())
    u.debug.close();
}

void close_all_units() {
  Units& u = units();
  std::cout.flush();
  for (std::ofstream* file : {&u.debug, &u.fort8, &u.fort9}) {
    if (file->is_open())
      file->close();
  }
}

void redirect_unit(int unit, std::ostream* sink) {
  if (unit >= 0 && unit < unit_count)
    units().redirected[unit] = sink;
}

} // namespace common
