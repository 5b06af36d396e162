#include "tools/core/tokens.hpp"

#include <charconv>
#include <cmath>

namespace tools {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

} // namespace

std::vector<std::string_view> split_words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && is_blank(line[pos]))
      ++pos;
    const std::size_t start = pos;
    while (pos < line.size() && !is_blank(line[pos]))
      ++pos;
    if (pos > start)
      words.push_back(line.substr(start, pos - start));
  }
  return words;
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && (is_blank(text.front()) || text.front() == '\r'))
    text.remove_prefix(1);
  while (!text.empty() && (is_blank(text.back()) || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

bool parse_double(std::string_view text, double& value) {
  if (!text.empty() && text.front() == '+')
    text.remove_prefix(1);
  double v = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
    return false;
  value = v;
  return true;
}

bool parse_int(std::string_view text, int& value) {
  if (!text.empty() && text.front() == '+')
    text.remove_prefix(1);
  int v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size())
    return false;
  value = v;
  return true;
}

std::vector<std::string> split_tabs(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t from = 0;
  for (std::size_t tab = line.find('\t'); tab != std::string_view::npos;
       tab = line.find('\t', from)) {
    fields.emplace_back(line.substr(from, tab - from));
    from = tab + 1;
  }
  fields.emplace_back(line.substr(from));
  return fields;
}

} // namespace tools
