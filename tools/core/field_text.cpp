#include "tools/core/field_text.hpp"

#include <algorithm>

#include "common/records.hpp"
#include "tools/core/tokens.hpp"

namespace tools {

namespace {

// Wide enough for any value a tool writes with fixed_decimals(); a wider one shows as asterisks.
constexpr int fixed_field_width = 40;

constexpr unsigned char ascii_blank = 0x20;
constexpr unsigned char ascii_delete = 0x7f;
constexpr char not_utf8 = '?';
constexpr std::string_view ellipsis = "...";

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

std::string fixed_decimals(double value, int d) {
  return std::string(trim(common::format_f(value, fixed_field_width, d)));
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
