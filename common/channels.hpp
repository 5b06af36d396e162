// The output channels: 0 standard error, 6 standard output, 8 the listing ("debug" when opened by
// name, otherwise "fort.8" created at its first record), 9 the trace file "fort.9" created at its
// first record. A run writes them through its RunContext (common/run_context.hpp), which holds
// where each goes and what each has collected.
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

// Receives the text of a unit, one call per hand-over.
using UnitSink = std::function<void(std::string_view)>;

} // namespace common
