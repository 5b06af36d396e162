// The keyword input ("<ffdata>" file): 80-column records read strictly forward, the keyword
// reader, the atom-line readers and the connectivity reader.
#pragma once

#include <cstdio>
#include <istream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/run_context.hpp"

namespace common {

inline constexpr int record_length = 80;     // columns of an input record
inline constexpr int text_value_length = 20; // columns of a text value after its keyword
inline constexpr int label_length = 8;       // characters of an element label
// Largest accepted coordinate magnitude: the result records cannot show more, and distances of
// such molecules overflow.
inline constexpr double max_coordinate = 1.0e6;

// The keys of the sections after the keywords.
inline constexpr std::string_view coordinates_key = "$coordinates";
inline constexpr std::string_view connectivity_key = "$connectivity";
inline constexpr std::string_view end_key = "$end";

// Atom-line columns (1-based first column, width): x, y and z one after the other from column 1,
// then the element label and the force-field type.
inline constexpr int coordinate_width = 16;
inline constexpr int label_column = 54;
inline constexpr int label_width = 2;
inline constexpr int type_column = 56;
inline constexpr int type_width = 3;

// What rdcntrl reads after the keyword.
enum KeywordKind : int { kind_position = 0, kind_integer = 1, kind_real = 2, kind_text = 3 };

// Input records: split at line feeds (a carriage return before one is dropped), each cut or
// padded to exactly 80 columns. Never rewinds.
class InputDeck {
public:
  explicit InputDeck(std::istream& in) : in_(&in) {}
  // Reads a C stream (standard input of a program that sets up no iostream).
  explicit InputDeck(std::FILE* in) : file_(in) {}
  // The next record, or false at the end of the input.
  bool next(std::string& record);
  // Number of the record returned last (1-based).
  int line_number() const { return line_; }

private:
  bool read_line(std::string& record);
  std::istream* in_ = nullptr;
  std::FILE* file_ = nullptr;
  int line_ = 0;
};

// The text of the numbered report of a missing keyword: this, the keyword, then the file.
inline constexpr std::string_view missing_keyword_text = "Unable to find Keyword ";

// Searches forward for the record that begins with the first keylen characters of key and reads
// its value by kind (see KeywordKind; text: 20 columns squeezed by rmblank, count in ival).
// A keyword that never comes ends the run with error 2 (reported on run's listing); an unreadable
// value is an input error.
void rdcntrl(RunContext& run, InputDeck& deck, int keylen, std::string_view key, int kind,
             int& ival, double& rval, std::string& cval);

// The largest molecule the two programs accept, in atoms.
inline constexpr int max_atoms = 500;

// Ends the run with an input error when natoms is outside 1 .. limit (max_atoms for the programs).
void check_atom_count(int natoms, int limit);

// rdcntrl for the integer or the real value of a keyword.
int read_integer_keyword(RunContext& run, InputDeck& deck, std::string_view key);
double read_real_keyword(RunContext& run, InputDeck& deck, std::string_view key);

// Squeezes the blanks out of the first n characters of text, pads them with blanks and returns
// the number of non-blank characters in count.
void rmblank(int n, std::string& text, int& count);

// Atom lines: a coordinate field that cannot be read, or lies beyond max_coordinate, is an input
// error.
// symmetry's atom lines: coordinates into xyz (3 per atom) and the element labels, 8 characters.
void getcoord1(InputDeck& deck, int n, std::span<double> xyz, std::vector<std::string>& labels);

// kelma's atom lines: coordinates into xyz and the force-field types.
void getcoord2(InputDeck& deck, int n, std::span<double> xyz, std::span<int> types);

// kelma's connectivity section: the n x n bond-code matrix, column by column.
void getconn(InputDeck& deck, int n, std::span<int> conn);

// Field readers, exposed for tests. Fixed real field: blanks ignored, all blank reads 0, without
// a decimal point the digits are scaled by 1e-10. False when the field is unreadable.
bool read_fixed_real(std::string_view field, double& value);
// Fixed integer field: blanks ignored, all blank reads 0.
bool read_fixed_int(std::string_view field, int& value);

// Free-format items: each is the text up to a blank or a comma.
class FreeFormat {
public:
  explicit FreeFormat(std::string_view text) : text_(text) {}
  bool next_int(int& value);
  bool next_real(double& value);

private:
  bool next_item(std::string_view& item);
  std::string_view text_;
  std::size_t pos_ = 0;
};

} // namespace common
