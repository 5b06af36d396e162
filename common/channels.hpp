// The output channels: 0 standard error, 6 standard output, 8 the listing ("debug" when opened by
// name, otherwise "fort.8" created at its first record), 9 the trace file "fort.9" created at its
// first record.
//
// Records collect in memory per unit and reach their file in one piece when the unit is flushed
// (or when a unit's collected text grows past a bound), so a reader of the file sees whole blocks.
#pragma once

#include <functional>
#include <string_view>

namespace common {

inline constexpr int stderr_unit = 0;
inline constexpr int stdout_unit = 6;
inline constexpr int listing_unit = 8;
inline constexpr int trace_unit = 9;

// The files of units 8 and 9, in the current folder.
inline constexpr const char* listing_file = "debug";          // the listing opened by name
inline constexpr const char* unnamed_listing_file = "fort.8"; // the listing when none is open
inline constexpr const char* trace_file = "fort.9";

// Writes one record and its line end on the unit.
void write_record(int unit, std::string_view record);

// Writes text that already holds whole records, each with its line end.
void write_lines(int unit, std::string_view lines);

// Writes an empty line on the unit (the "/" of a layout).
inline void write_blank(int unit) { write_record(unit, {}); }

// Hands everything written on the unit so far to its file in one write.
void flush_unit(int unit);

// Opens the listing as "debug", created empty or emptied; a second opening changes nothing.
void open_listing();

// Closes the listing; a later record on unit 8 goes to "fort.8".
void close_listing();

// Flushes and closes every file the channels opened.
void close_all_units();

// Receives the text of a unit, one call per flush.
using UnitSink = std::function<void(std::string_view)>;

// Sends a unit to the sink instead of its file (tests); an empty sink restores the file. What
// was written before goes to the old destination first.
void redirect_unit(int unit, UnitSink sink);

} // namespace common
