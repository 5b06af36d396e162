// Text written into fields and messages: shell words, fixed decimals and printable lines.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tools {

// The text as one word for a POSIX shell: single-quoted, embedded quotes escaped.
std::string shell_quote(std::string_view text);

// value with d decimals and no padding, for TSV and CSV fields.
std::string fixed_decimals(double value, int d);

// The text as one printable line, for a table field or a one-line message: TABs, line breaks and
// other control bytes become blanks, bytes that are not UTF-8 become '?', and a text longer than
// max_length bytes is cut at a character so that with its closing "..." it is max_length bytes
// at most.
inline constexpr std::size_t max_line_text = 1000;
std::string printable_line(std::string_view text, std::size_t max_length = max_line_text);

} // namespace tools
