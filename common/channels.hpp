// The output channels: 0 standard error, 6 standard output, 8 the listing ("debug" when opened by
// name, otherwise "fort.8" created at its first record), 9 the trace file "fort.9" created at its
// first record.
#pragma once

#include <iosfwd>
#include <string_view>

namespace common {

inline constexpr int stderr_unit = 0;
inline constexpr int stdout_unit = 6;
inline constexpr int listing_unit = 8;
inline constexpr int trace_unit = 9;

// Writes one record and its line end on the unit.
void write_record(int unit, std::string_view record);

// Writes an empty line on the unit (the "/" of a layout).
inline void write_blank(int unit) { write_record(unit, {}); }

void flush_unit(int unit);

// Opens the listing as "debug", created empty or emptied; a second opening changes nothing.
void open_listing();

// Closes the listing; a later record on unit 8 goes to "fort.8".
void close_listing();

// Flushes and closes every file the channels opened.
void close_all_units();

// Sends a unit to the given stream instead of its file (tests); nullptr restores the default.
void redirect_unit(int unit, std::ostream* sink);

} // namespace common
