#include "common/records.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace common {

namespace {

constexpr int free_real_digits = 9;
constexpr int lowest_fixed_exponent = -4;
constexpr int first_exponent_form = 9;

std::string stars(int w) { return std::string(static_cast<std::size_t>(w), '*'); }

std::string pad_left(std::string s, int w) {
  if (static_cast<int>(s.size()) < w)
    s.insert(0, static_cast<std::size_t>(w) - s.size(), ' ');
  return s;
}

// Drops the optional leading zero of "0.ddd" or "-0.ddd".
void drop_leading_zero(std::string& s) {
  const std::size_t at = (s[0] == '-') ? 1 : 0;
  if (s.size() > at + 1 && s[at] == '0' && s[at + 1] == '.')
    s.erase(at, 1);
}

} // namespace

std::string format_f(double value, int w, int d) {
  if (!std::isfinite(value))
    return stars(w);
  char buf[512];
  const int len = std::snprintf(buf, sizeof buf, "%.*f", d, value);
  if (len < 0 || len >= static_cast<int>(sizeof buf))
    return stars(w);
  std::string s(buf, static_cast<std::size_t>(len));
  if (static_cast<int>(s.size()) > w)
    drop_leading_zero(s);
  if (static_cast<int>(s.size()) > w)
    return stars(w);
  return pad_left(std::move(s), w);
}

std::string format_i(long long value, int w) {
  std::string s = std::to_string(value);
  if (static_cast<int>(s.size()) > w)
    return stars(w);
  return pad_left(std::move(s), w);
}

std::string format_a(std::string_view text, int w) {
  if (static_cast<int>(text.size()) >= w)
    return std::string(text.substr(0, static_cast<std::size_t>(w)));
  return pad_left(std::string(text), w);
}

std::string free_real(double value) {
  std::string out = value < 0.0 ? " -" : "  ";
  const double magnitude = std::fabs(value);
  if (magnitude == 0.0)
    return out + "0.";
  if (!std::isfinite(magnitude))
    return out + (std::isnan(magnitude) ? "NaN" : "Infinity");
  // Rounding to nine significant digits first decides the exponent.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", free_real_digits - 1, magnitude);
  std::string digits;
  digits += buf[0];
  digits.append(buf + 2, free_real_digits - 1);
  const int exponent = std::atoi(buf + free_real_digits + 2);
  while (digits.size() > 1 && digits.back() == '0')
    digits.pop_back();

  if (exponent < lowest_fixed_exponent || exponent >= first_exponent_form) {
    std::string mantissa = digits.substr(0, 1) + "." + digits.substr(1);
    char exp_text[16];
    std::snprintf(exp_text, sizeof exp_text, "E%+03d", exponent);
    return out + mantissa + exp_text;
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
  line_ += format_f(value, w, d);
  return *this;
}

Record& Record::i(long long value, int w) {
  line_ += format_i(value, w);
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
