#include "common/records.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace common {

namespace {

constexpr int free_real_digits = 9;
constexpr int lowest_fixed_exponent = -4;
constexpr int first_exponent_form = 9;
constexpr int exponent_digits = 2;
// Room for any double in fixed form with the decimals the records use (the largest has 309
// integer digits); a value that needs more overflows every field anyway.
constexpr std::size_t fixed_buffer = 512;

void append_stars(std::string& out, int w) { out.append(static_cast<std::size_t>(w), '*'); }

void append_padded(std::string& out, std::string_view s, int w) {
  if (static_cast<int>(s.size()) < w)
    out.append(static_cast<std::size_t>(w) - s.size(), ' ');
  out += s;
}

// Drops the optional leading zero of "0.ddd" or "-0.ddd" in place.
std::string_view drop_leading_zero(char* first, std::string_view s) {
  const std::size_t at = (s[0] == '-') ? 1 : 0;
  if (s.size() <= at + 1 || s[at] != '0' || s[at + 1] != '.')
    return s;
  if (at == 1)
    first[1] = '-';
  return s.substr(1);
}

} // namespace

void append_f(std::string& out, double value, int w, int d) {
  char buf[fixed_buffer];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, d);
  if (!std::isfinite(value) || ec != std::errc()) {
    append_stars(out, w);
    return;
  }
  std::string_view s(buf, static_cast<std::size_t>(end - buf));
  if (static_cast<int>(s.size()) > w)
    s = drop_leading_zero(buf, s);
  if (static_cast<int>(s.size()) > w)
    append_stars(out, w);
  else
    append_padded(out, s, w);
}

void append_i(std::string& out, long long value, int w) {
  char buf[std::numeric_limits<long long>::digits10 + 2];
  const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
  const std::string_view s(buf, static_cast<std::size_t>(end - buf));
  if (static_cast<int>(s.size()) > w)
    append_stars(out, w);
  else
    append_padded(out, s, w);
}

std::string format_f(double value, int w, int d) {
  std::string s;
  append_f(s, value, w, d);
  return s;
}

std::string format_i(long long value, int w) {
  std::string s;
  append_i(s, value, w);
  return s;
}

std::string format_a(std::string_view text, int w) {
  if (static_cast<int>(text.size()) >= w)
    return std::string(text.substr(0, static_cast<std::size_t>(w)));
  std::string s;
  append_padded(s, text, w);
  return s;
}

std::string free_real(double value) {
  std::string out = value < 0.0 ? " -" : "  ";
  const double magnitude = std::fabs(value);
  if (magnitude == 0.0)
    return out + "0.";
  if (!std::isfinite(magnitude))
    return out + (std::isnan(magnitude) ? "NaN" : "Infinity");
  // Rounding to nine significant digits first decides the exponent: "d.dddddddde+XX".
  char buf[32];
  const char* end = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific,
                                  free_real_digits - 1)
                        .ptr;
  std::string digits;
  digits += buf[0];
  digits.append(buf + 2, free_real_digits - 1);
  const char* exponent_text = buf + free_real_digits + 2;
  int exponent = 0;
  std::from_chars(exponent_text + (*exponent_text == '+' ? 1 : 0), end, exponent);
  while (digits.size() > 1 && digits.back() == '0')
    digits.pop_back();

  if (exponent < lowest_fixed_exponent || exponent >= first_exponent_form) {
    out += digits.substr(0, 1) + "." + digits.substr(1) + 'E' + (exponent < 0 ? '-' : '+');
    const std::string exponent_magnitude = std::to_string(std::abs(exponent));
    if (static_cast<int>(exponent_magnitude.size()) < exponent_digits)
      out += '0';
    return out + exponent_magnitude;
  }
  if (exponent >= 0) {
    const auto int_len = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() < int_len)
      digits.append(int_len - digits.size(), '0');
    return out + digits.substr(0, int_len) + "." + digits.substr(int_len);
  }
  return out + "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
}

Record& Record::text(std::string_view quoted) {
  line_ += quoted;
  return *this;
}

Record& Record::f(double value, int w, int d) {
  append_f(line_, value, w, d);
  return *this;
}

Record& Record::i(long long value, int w) {
  append_i(line_, value, w);
  return *this;
}

Record& Record::a(std::string_view text, int w) {
  line_ += format_a(text, w);
  return *this;
}

Record& Record::x(int blanks) {
  line_.append(static_cast<std::size_t>(blanks), ' ');
  return *this;
}

FreeRecord& FreeRecord::item(std::string_view text) {
  if (line_.empty())
    line_ += ' ';
  line_ += text;
  return *this;
}

FreeRecord& FreeRecord::item(int value) {
  line_ += ' ';
  line_ += std::to_string(value);
  return *this;
}

FreeRecord& FreeRecord::item(double value) {
  line_ += free_real(value);
  return *this;
}

} // namespace common
