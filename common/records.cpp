#include "common/records.hpp"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace common {

namespace {

constexpr int free_real_digits = 9;
constexpr int lowest_fixed_exponent = -4;
constexpr int first_exponent_form = 9;
constexpr int exponent_digits = 2;
// Decimals up to which the fixed form is made by integer arithmetic: 10^17 times a 53-bit
// significand stays below 2^110.
constexpr int max_exact_decimals = 17;
constexpr std::array<std::uint64_t, max_exact_decimals + 1> powers_of_ten = [] {
  std::array<std::uint64_t, max_exact_decimals + 1> p{};
  p[0] = 1;
  for (std::size_t k = 1; k < p.size(); ++k)
    p[k] = 10 * p[k - 1];
  return p;
}();

// Digits of the largest 64-bit unsigned integer.
constexpr int uint64_digits = 20;

__extension__ using Wide = unsigned __int128;

// |value| times 10^d rounded to the nearest integer, ties to even, from the exact binary value;
// false when the value is not below 2^52 or the result does not fit 64 bits.
bool scaled_magnitude(double value, int d, std::uint64_t& scaled) {
  constexpr int mantissa_bits = 52;
  constexpr int exponent_bias = 1075; // of the integer significand
  constexpr int wide_bits = 128;
  const auto bits = std::bit_cast<std::uint64_t>(value);
  const auto biased = static_cast<int>((bits >> mantissa_bits) & 0x7ff);
  std::uint64_t significand = bits & ((std::uint64_t{1} << mantissa_bits) - 1);
  if (biased != 0)
    significand |= std::uint64_t{1} << mantissa_bits;
  const int shift = exponent_bias - (biased == 0 ? 1 : biased); // value = significand / 2^shift
  if (shift <= 0)
    return false;
  const Wide product = Wide{significand} * powers_of_ten[static_cast<std::size_t>(d)];
  if (shift >= wide_bits) { // the product is below 2^110: less than half of one unit
    scaled = 0;
    return true;
  }
  Wide quotient = product >> shift;
  const Wide remainder = product - (quotient << shift);
  const Wide half = Wide{1} << (shift - 1);
  if (remainder > half || (remainder == half && (quotient & 1) != 0))
    ++quotient;
  if ((quotient >> 64) != 0)
    return false;
  scaled = static_cast<std::uint64_t>(quotient);
  return true;
}

// Writes the d-decimal number whose digits are those of scaled (scaled / 10^d with its sign).
char* write_scaled(char* out, bool negative, std::uint64_t scaled, int d) {
  const std::uint64_t unit = powers_of_ten[static_cast<std::size_t>(d)];
  if (negative)
    *out++ = '-';
  out = std::to_chars(out, out + uint64_digits, scaled / unit).ptr;
  *out++ = '.';
  std::uint64_t fraction = scaled % unit;
  for (int k = d - 1; k >= 0; --k) {
    out[k] = static_cast<char>('0' + fraction % 10);
    fraction /= 10;
  }
  return out + d;
}

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

char* fixed_chars(char* out, double value, int d) {
  std::uint64_t scaled = 0;
  if (d >= 1 && d <= max_exact_decimals && scaled_magnitude(value, d, scaled))
    return write_scaled(out, std::signbit(value), scaled, d);
  const auto [end, ec] =
      std::to_chars(out, out + fixed_chars_room, value, std::chars_format::fixed, d);
  return ec == std::errc() ? end : nullptr;
}

void append_f(std::string& out, double value, int w, int d) {
  char buf[fixed_chars_room];
  const char* end = std::isfinite(value) ? fixed_chars(buf, value, d) : nullptr;
  if (end == nullptr) {
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

std::string shortest_real(double value) {
  char buf[32];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, value).ptr);
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
