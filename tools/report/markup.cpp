#include "tools/report/markup.hpp"

#include <array>
#include <cmath>
#include <cstdio>

#include "tools/core/field_text.hpp"

namespace tools {

std::string html_escape(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    case '\'':
      out += "&#39;";
      break;
    default:
      out += c;
    }
  }
  return out;
}

std::string concat(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (const std::string_view part : parts)
    out += part;
  return out;
}

std::string json_string(std::string_view text) {
  constexpr unsigned char first_printable = 0x20;
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '<' || static_cast<unsigned char>(c) < first_printable) {
      std::array<char, 8> code{};
      std::snprintf(code.data(), code.size(), "\\u%04x", static_cast<unsigned char>(c));
      out += code.data();
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string json_number(double value, int decimals) {
  return std::isfinite(value) ? fixed_decimals(value, decimals) : "null";
}

} // namespace tools
