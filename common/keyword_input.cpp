#include "common/keyword_input.hpp"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "common/reports.hpp"
#include "common/termination.hpp"
#include "common/vectors.hpp"

namespace common {

namespace {

constexpr int missing_keyword_error = 2;
constexpr int implied_decimals = 10;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool begins_with(const std::string& record, std::string_view key) {
  return record.compare(0, key.size(), key) == 0;
}

std::string_view columns(const std::string& record, int first, int width) {
  return std::string_view(record).substr(static_cast<std::size_t>(first - 1),
                                         static_cast<std::size_t>(width));
}

std::string line_text(const InputDeck& deck) {
  return "line " + std::to_string(deck.line_number());
}

// Reads forward to the record that begins with key; false at the end of the input.
bool find_record(InputDeck& deck, std::string_view key, std::string& record) {
  while (deck.next(record)) {
    if (begins_with(record, key))
      return true;
  }
  return false;
}

void find_section(InputDeck& deck, std::string_view key, std::string& record) {
  if (!find_record(deck, key, record))
    input_error("no " + std::string(key) + " section in the input");
}

// Splits a number into sign, mantissa digits (without the point), the count of digits after the
// point, and the exponent. Accepts [+-] digits [. digits] [EeDd [+-] digits] with one digit at
// least in the mantissa, or a point with digits after it.
struct DecimalText {
  bool negative = false;
  std::string digits;
  bool has_point = false;
  long fraction_digits = 0;
  long exponent = 0;
};

bool parse_decimal(std::string_view s, DecimalText& out) {
  std::size_t p = 0;
  if (p < s.size() && (s[p] == '+' || s[p] == '-'))
    out.negative = (s[p++] == '-');
  for (; p < s.size(); ++p) {
    if (is_digit(s[p])) {
      out.digits += s[p];
      if (out.has_point)
        ++out.fraction_digits;
    } else if (s[p] == '.' && !out.has_point) {
      out.has_point = true;
    } else {
      break;
    }
  }
  if (out.digits.empty())
    return false;
  if (p == s.size())
    return true;
  if (s[p] != 'E' && s[p] != 'e' && s[p] != 'D' && s[p] != 'd')
    return false;
  ++p;
  bool exp_negative = false;
  if (p < s.size() && (s[p] == '+' || s[p] == '-'))
    exp_negative = (s[p++] == '-');
  if (p == s.size())
    return false;
  constexpr long exponent_cap = 100000; // far beyond any double; keeps the sum from overflowing
  for (; p < s.size(); ++p) {
    if (!is_digit(s[p]))
      return false;
    if (out.exponent < exponent_cap)
      out.exponent = out.exponent * 10 + (s[p] - '0');
  }
  if (exp_negative)
    out.exponent = -out.exponent;
  return true;
}

// Converts digits x 10^(exponent - fraction_digits - extra_scale), correctly rounded.
bool decimal_value(const DecimalText& d, long extra_scale, double& value) {
  const long scale = d.exponent - d.fraction_digits - extra_scale;
  std::string text = (d.negative ? "-" : "") + d.digits + "e" + std::to_string(scale);
  const double v = std::strtod(text.c_str(), nullptr);
  if (!std::isfinite(v))
    return false;
  value = v;
  return true;
}

bool parse_int(std::string_view s, int& value) {
  std::size_t p = 0;
  bool negative = false;
  if (p < s.size() && (s[p] == '+' || s[p] == '-'))
    negative = (s[p++] == '-');
  if (p == s.size())
    return false;
  long long v = 0;
  for (; p < s.size(); ++p) {
    if (!is_digit(s[p]))
      return false;
    v = v * 10 + (s[p] - '0');
    if (v > static_cast<long long>(std::numeric_limits<int>::max()) + 1)
      return false;
  }
  if (negative)
    v = -v;
  if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
    return false;
  value = static_cast<int>(v);
  return true;
}

std::string without_blanks(std::string_view field) {
  std::string s;
  for (char c : field) {
    if (c != ' ')
      s += c;
  }
  return s;
}

void read_atom_coordinates(const InputDeck& deck, const std::string& record, double* xyz) {
  static constexpr const char* axis_names[] = {"x", "y", "z"};
  for (int k = 0; k < 3; ++k) {
    if (!read_fixed_real(columns(record, 1 + k * coordinate_width, coordinate_width), xyz[k])) {
      input_error(line_text(deck) + ": unreadable " + axis_names[k] + " coordinate");
    }
    if (std::fabs(xyz[k]) > max_coordinate) {
      input_error(line_text(deck) + ": " + axis_names[k] + " coordinate beyond 1.0e6");
    }
  }
}

// Reads the next atom line into record, or ends the run when the input ends first.
void next_atom_line(InputDeck& deck, int atom, int n, std::string& record) {
  if (!deck.next(record)) {
    input_error("input ends after " + std::to_string(atom - 1) + " of " + std::to_string(n) +
                " atom lines");
  }
}

// The three value fields of rdcntrl; a reading fills the one of its kind.
struct KeywordValue {
  int ival = 0;
  double rval = 0.0;
  std::string cval;
};

// rdcntrl on every character of key.
KeywordValue read_whole_keyword(RunContext& run, InputDeck& deck, std::string_view key, int kind) {
  KeywordValue value;
  rdcntrl(run, deck, static_cast<int>(key.size()), key, kind, value.ival, value.rval, value.cval);
  return value;
}

} // namespace

// One line up to a line feed or the end of the input, as std::getline reads it: false only when
// the input ends before any character.
bool InputDeck::read_line(std::string& record) {
  if (in_ != nullptr)
    return static_cast<bool>(std::getline(*in_, record));
  record.clear();
  int c = 0;
  while ((c = std::getc(file_)) != EOF && c != '\n')
    record.push_back(static_cast<char>(c));
  return c == '\n' || !record.empty();
}

bool InputDeck::next(std::string& record) {
  if (!read_line(record))
    return false;
  ++line_;
  if (!record.empty() && record.back() == '\r')
    record.pop_back();
  record.resize(record_length, ' ');
  return true;
}

bool read_fixed_real(std::string_view field, double& value) {
  const std::string s = without_blanks(field);
  if (s.empty()) {
    value = 0.0;
    return true;
  }
  DecimalText d;
  if (!parse_decimal(s, d))
    return false;
  return decimal_value(d, d.has_point ? 0 : implied_decimals, value);
}

bool read_fixed_int(std::string_view field, int& value) {
  const std::string s = without_blanks(field);
  if (s.empty()) {
    value = 0;
    return true;
  }
  return parse_int(s, value);
}

bool FreeFormat::next_item(std::string_view& item) {
  while (pos_ < text_.size() && text_[pos_] == ' ')
    ++pos_;
  const std::size_t start = pos_;
  while (pos_ < text_.size() && text_[pos_] != ' ' && text_[pos_] != ',')
    ++pos_;
  item = text_.substr(start, pos_ - start);
  // The separator after the item: blanks, then at most one comma.
  while (pos_ < text_.size() && text_[pos_] == ' ')
    ++pos_;
  if (pos_ < text_.size() && text_[pos_] == ',')
    ++pos_;
  return !item.empty();
}

bool FreeFormat::next_int(int& value) {
  std::string_view item;
  return next_item(item) && parse_int(item, value);
}

bool FreeFormat::next_real(double& value) {
  std::string_view item;
  if (!next_item(item))
    return false;
  DecimalText d;
  return parse_decimal(item, d) && decimal_value(d, 0, value);
}

void rmblank(int n, std::string& text, int& count) {
  if (static_cast<int>(text.size()) < n)
    text.resize(static_cast<std::size_t>(n), ' ');
  std::string squeezed =
      without_blanks(std::string_view(text).substr(0, static_cast<std::size_t>(n)));
  count = static_cast<int>(squeezed.size());
  squeezed.resize(static_cast<std::size_t>(n), ' ');
  text.replace(0, static_cast<std::size_t>(n), squeezed);
}

void rdcntrl(RunContext& run, InputDeck& deck, int keylen, std::string_view key, int kind,
             int& ival, double& rval, std::string& cval) {
  const std::string_view head = key.substr(0, static_cast<std::size_t>(keylen));
  std::string record;
  if (!find_record(deck, head, record)) {
    const std::string text =
        std::string(missing_keyword_text) + std::string(head) + " in <ffdata> file ";
    nerror(run, missing_keyword_error, "File IO routine <rdcntrl>", text, 0, 0);
  }
  const std::string_view value = std::string_view(record).substr(head.size());
  const std::string where = line_text(deck) + ": " + std::string(head);
  switch (kind) {
  case kind_position:
    return;
  case kind_integer:
    if (!FreeFormat(value).next_int(ival))
      input_error(where + ": unreadable integer value");
    return;
  case kind_real:
    if (!FreeFormat(value).next_real(rval))
      input_error(where + ": unreadable real value");
    return;
  default:
    cval = std::string(value.substr(0, text_value_length));
    rmblank(text_value_length, cval, ival);
    return;
  }
}

int read_integer_keyword(RunContext& run, InputDeck& deck, std::string_view key) {
  return read_whole_keyword(run, deck, key, kind_integer).ival;
}

double read_real_keyword(RunContext& run, InputDeck& deck, std::string_view key) {
  return read_whole_keyword(run, deck, key, kind_real).rval;
}

void getcoord1(InputDeck& deck, int n, std::span<double> xyz, std::vector<std::string>& labels) {
  std::string record;
  find_section(deck, coordinates_key, record);
  labels.assign(static_cast<std::size_t>(std::max(n, 0)), std::string(label_length, ' '));
  for (int atom = 1; atom <= n; ++atom) {
    next_atom_line(deck, atom, n, record);
    read_atom_coordinates(deck, record, &xyz[static_cast<std::size_t>(3 * (atom - 1))]);
    labels[static_cast<std::size_t>(atom - 1)].replace(0, label_width,
                                                       columns(record, label_column, label_width));
  }
}

void getcoord2(InputDeck& deck, int n, std::span<double> xyz, std::span<int> types) {
  std::string record;
  find_section(deck, coordinates_key, record);
  for (int atom = 1; atom <= n; ++atom) {
    next_atom_line(deck, atom, n, record);
    read_atom_coordinates(deck, record, &xyz[static_cast<std::size_t>(3 * (atom - 1))]);
    if (!read_fixed_int(columns(record, type_column, type_width),
                        types[static_cast<std::size_t>(atom - 1)])) {
      input_error(line_text(deck) + ": unreadable force-field type");
    }
  }
}

void check_atom_count(int natoms, int limit) {
  if (natoms < 1 || natoms > limit) {
    input_error("$natoms must be between 1 and " + std::to_string(limit) + ", not " +
                std::to_string(natoms));
  }
}

void getconn(InputDeck& deck, int n, std::span<int> conn) {
  izero(conn);
  std::string record;
  find_section(deck, connectivity_key, record);
  while (true) {
    if (!deck.next(record))
      input_error("input ends before $end of the $connectivity section");
    if (begins_with(record, end_key))
      return;
    FreeFormat items(record);
    int i = 0;
    int j = 0;
    int b = 0;
    if (!items.next_int(i) || !items.next_int(j) || !items.next_int(b)) {
      input_error(line_text(deck) + ": a bond line needs three integers (atom, atom, bond code)");
    }
    if (i < 1 || i > n || j < 1 || j > n) {
      input_error(line_text(deck) + ": bond atom number outside 1.." + std::to_string(n));
    }
    conn[static_cast<std::size_t>((i - 1) + (j - 1) * n)] = b;
    conn[static_cast<std::size_t>((j - 1) + (i - 1) * n)] = b;
  }
}

} // namespace common
