// Record formatting: the fixed edit descriptors (Fw.d, Iw, Aw, nX, quoted text) and the
// free-format records of the reports. Every record the programs write is built here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace common {

// Fw.d: the value rounded to d decimals (ties to even on the exact binary value), right-justified
// in w columns; w asterisks when it does not fit. The leading zero of |value| < 1 is dropped
// only when that makes the value fit.
std::string format_f(double value, int w, int d);
// The same field appended to out.
void append_f(std::string& out, double value, int w, int d);

// The fixed form of a finite value with d decimals, as std::to_chars writes it (a minus sign for
// every negative value, zero included; no decimal point when d is 0), into out, which must hold
// fixed_chars_room characters; returns its end, or nullptr when it needs more room.
inline constexpr std::size_t fixed_chars_room = 512;
char* fixed_chars(char* out, double value, int d);

// Iw: the integer right-justified in w columns; w asterisks when it does not fit.
std::string format_i(long long value, int w);
void append_i(std::string& out, long long value, int w);

// Aw: the text right-justified in w columns when shorter, its first w characters when longer.
std::string format_a(std::string_view text, int w);

// The real item of a free-format record: a blank, a minus sign or a blank, then the magnitude to
// nine significant digits with trailing zeros dropped, in exponent form when the decimal exponent
// is below -4 or at least 9.
std::string free_real(double value);

// The shortest decimal text that reads back as the value ("10", "0.6950678925466925", "1e+300"),
// for diagnostics that quote a number the user must compare with exactly.
std::string shortest_real(double value);

// A fixed-layout record built field by field.
class Record {
public:
  Record& text(std::string_view quoted);
  Record& f(double value, int w, int d);
  Record& i(long long value, int w);
  Record& a(std::string_view text, int w);
  Record& x(int blanks);
  const std::string& str() const { return line_; }

private:
  std::string line_;
};

// A free-format record: texts as they stand (one blank before a leading text), integers as a
// blank and their digits, reals as free_real writes them.
class FreeRecord {
public:
  FreeRecord& item(std::string_view text);
  FreeRecord& item(const char* text) { return item(std::string_view(text)); }
  FreeRecord& item(int value);
  FreeRecord& item(double value);
  const std::string& str() const { return line_; }

private:
  std::string line_;
};

} // namespace common
