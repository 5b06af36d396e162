#include "tools/core/text.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "common/records.hpp"

namespace tools {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// Wide enough for any value a tool writes with fixed(); a wider one shows as asterisks.
constexpr int fixed_field_width = 40;

constexpr std::size_t hash_digits = 8;
constexpr unsigned char ascii_blank = 0x20;
constexpr unsigned char ascii_delete = 0x7f;
constexpr char not_utf8 = '?';
constexpr std::string_view ellipsis = "...";

// FNV-1a, 32 bits: a short fingerprint of a name that is the same on every machine.
std::uint32_t fnv1a(std::string_view text) {
  constexpr std::uint32_t offset = 2166136261u;
  constexpr std::uint32_t prime = 16777619u;
  std::uint32_t hash = offset;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= prime;
  }
  return hash;
}

bool continuation(std::string_view text, std::size_t k, unsigned char low, unsigned char high) {
  if (k >= text.size())
    return false;
  const auto byte = static_cast<unsigned char>(text[k]);
  return byte >= low && byte <= high;
}

// The length of the printable UTF-8 character at the start of text; 0 for a control byte or a
// byte that starts no well-formed character.
std::size_t utf8_length(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80)
    return lead >= ascii_blank && lead != ascii_delete ? 1 : 0;
  // The second byte's range depends on the lead (no overlong forms, no surrogates, no code
  // point past U+10FFFF); later bytes are 0x80-0xBF.
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xbf;
  if (lead >= 0xc2 && lead <= 0xdf)
    length = 2;
  else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3;
    low = lead == 0xe0 ? 0xa0 : low;
    high = lead == 0xed ? 0x9f : high;
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4;
    low = lead == 0xf0 ? 0x90 : low;
    high = lead == 0xf4 ? 0x8f : high;
  } else
    return 0;
  if (!continuation(text, 1, low, high))
    return 0;
  for (std::size_t k = 2; k < length; ++k)
    if (!continuation(text, k, 0x80, 0xbf))
      return 0;
  return length;
}

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

std::string shell_quote(std::string_view text) {
  std::string out = "'";
  for (const char c : text) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
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

std::string fixed(double value, int d) {
  return std::string(trim(common::format_f(value, fixed_field_width, d)));
}

std::string file_stem(std::string_view name) {
  std::string out;
  for (const char c : trim(name)) {
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '.' || c == '_' || c == '-';
    out += keep ? c : '_';
  }
  if (out.empty() || out.front() == '.')
    out.insert(0, "mol");
  if (out.size() <= max_stem_length)
    return out;
  std::array<char, hash_digits + 1> hash{};
  std::snprintf(hash.data(), hash.size(), "%08x", fnv1a(name));
  return out.substr(0, max_stem_length - hash_digits - 1) + "_" + hash.data();
}

std::string printable_line(std::string_view text, std::size_t max_length) {
  // A text that is cut keeps room for the ellipsis.
  const std::size_t room =
      text.size() <= max_length ? max_length : max_length - std::min(max_length, ellipsis.size());
  std::string out;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t length = utf8_length(text.substr(pos));
    if (out.size() + std::max<std::size_t>(length, 1) > room)
      return out.append(ellipsis);
    if (length == 0) {
      const auto byte = static_cast<unsigned char>(text[pos]);
      out += byte < ascii_blank || byte == ascii_delete ? ' ' : not_utf8;
      ++pos;
    } else {
      out.append(text.substr(pos, length));
      pos += length;
    }
  }
  return out;
}

} // namespace tools
