// Escaping for the report page: text into HTML, values into the JSON that its script reads.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace tools {

// &, <, >, " and ' as entities: safe in element text and in quoted attributes.
std::string html_escape(std::string_view text);

// The parts one after the other (GCC 12 warns falsely on long chains of string operator+).
std::string concat(std::initializer_list<std::string_view> parts);

// A JSON string literal; '<' is escaped too, so that the JSON may stand inside a script element.
std::string json_string(std::string_view text);

// A JSON number with the given decimals; null for a value that is not finite.
std::string json_number(double value, int decimals);

} // namespace tools
