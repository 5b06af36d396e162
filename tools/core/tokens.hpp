// Taking lines apart: words, TAB-separated fields, and whole-token numbers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tools {

// The blank-separated words of a line (blanks and tabs separate).
std::vector<std::string_view> split_words(std::string_view line);

// The tab-separated fields of a line (a TSV line), empty ones kept.
std::vector<std::string> split_tabs(std::string_view line);

// The text without leading and trailing blanks, tabs and carriage returns.
std::string_view trim(std::string_view text);

// Whole-token parsing: false for trailing characters, overflow, inf or nan.
bool parse_double(std::string_view text, double& value);
bool parse_int(std::string_view text, int& value);

} // namespace tools
