// Small text helpers of the companion tools: the error type, strict number parsing, tokens,
// shell quoting and fixed-decimal text.
#pragma once

#include "common/vectors.hpp"
#include <array>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

using common::Vec3;

// A failure with a one-line description; the tools catch it per molecule or in main.
class ToolError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The blank-separated words of a line (blanks and tabs separate).
std::vector<std::string_view> split_words(std::string_view line);

// The tab-separated fields of a line (a TSV line), empty ones kept.
std::vector<std::string> split_tabs(std::string_view line);

std::string_view trim(std::string_view text);

// Whole-token parsing: false for trailing characters, overflow, inf or nan.
bool parse_double(std::string_view text, double& value);
bool parse_int(std::string_view text, int& value);

// The text as one word for a POSIX shell: single-quoted, embedded quotes escaped.
std::string shell_quote(std::string_view text);

// value with d decimals and no padding, for TSV and CSV fields.
std::string fixed(double value, int d);

// Letters, digits, '.', '_' and '-' kept, anything else '_'; never empty, never hidden. A name
// longer than max_stem_length is cut and ends in a hash of the whole name, so that two long names
// that share their start still differ.
inline constexpr std::size_t max_stem_length = 100;
std::string file_stem(std::string_view name);

// The text as one printable line, for a table field or a one-line message: TABs, line breaks and
// other control bytes become blanks, bytes that are not UTF-8 become '?', and a text longer than
// max_length bytes is cut at a character so that with its closing "..." it is max_length bytes
// at most.
inline constexpr std::size_t max_line_text = 1000;
std::string printable_line(std::string_view text, std::size_t max_length = max_line_text);

} // namespace tools
