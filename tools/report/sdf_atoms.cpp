#include "tools/report/sdf_atoms.hpp"
#include "tools/core/tokens.hpp"
#include "tools/core/tool_error.hpp"
#include "tools/core/vec3.hpp"

namespace tools {

namespace {

constexpr std::string_view record_end = "$$$$";
constexpr std::size_t counts_line = 3; // after the title, the program and the comment line
constexpr std::string_view v3000_mark = "V3000";
// The V2000 counts line and atom lines: fixed columns (0-based start, width).
constexpr std::size_t count_width = 3;
constexpr std::size_t coordinate_width = 10;
constexpr std::size_t symbol_column = 31;
constexpr std::size_t symbol_width = 3;
// The V3000 atom block: "M  V30 index symbol x y z ..." lines between these two.
constexpr std::string_view v3000_prefix = "M  V30 ";
constexpr std::string_view v3000_atoms = "M  V30 BEGIN ATOM";
constexpr std::string_view v3000_atoms_end = "M  V30 END ATOM";
constexpr std::size_t v3000_atom_words = 5; // index, symbol and the three coordinates

using Lines = std::vector<std::string_view>;

std::string_view columns(std::string_view line, std::size_t start, std::size_t width) {
  return start < line.size() ? trim(line.substr(start, width)) : std::string_view();
}

void add_atom(SdfAtoms& record, std::string_view symbol, std::string_view x, std::string_view y,
              std::string_view z) {
  Vec3 position{};
  if (symbol.empty() || !parse_double(x, position[0]) || !parse_double(y, position[1]) ||
      !parse_double(z, position[2]))
    throw ToolError("atom " + std::to_string(record.positions.size() + 1) + " cannot be read");
  record.symbols.emplace_back(symbol);
  record.positions.push_back(position);
}

void read_v2000(const Lines& lines, SdfAtoms& record) {
  int atoms = 0;
  if (!parse_int(columns(lines[counts_line], 0, count_width), atoms) || atoms < 0)
    throw ToolError("the counts line cannot be read");
  if (lines.size() < counts_line + 1 + static_cast<std::size_t>(atoms))
    throw ToolError("the record ends within its atoms");
  for (std::size_t k = 0; k < static_cast<std::size_t>(atoms); ++k) {
    const std::string_view line = lines[counts_line + 1 + k];
    add_atom(record, columns(line, symbol_column, symbol_width), columns(line, 0, coordinate_width),
             columns(line, coordinate_width, coordinate_width),
             columns(line, 2 * coordinate_width, coordinate_width));
  }
}

void read_v3000(const Lines& lines, SdfAtoms& record) {
  std::size_t k = counts_line + 1;
  while (k < lines.size() && !lines[k].starts_with(v3000_atoms))
    ++k;
  if (k == lines.size())
    throw ToolError("no atom block");
  for (++k; k < lines.size() && !lines[k].starts_with(v3000_atoms_end); ++k) {
    const std::vector<std::string_view> words =
        split_words(lines[k].substr(std::min(v3000_prefix.size(), lines[k].size())));
    if (words.size() < v3000_atom_words)
      throw ToolError("atom " + std::to_string(record.positions.size() + 1) + " cannot be read");
    add_atom(record, words[1], words[2], words[3], words[4]);
  }
  if (k == lines.size())
    throw ToolError("the atom block does not end");
}

SdfAtoms read_record(const Lines& lines) {
  SdfAtoms record;
  if (lines.empty()) {
    record.error = "an empty record";
    return record;
  }
  record.title = std::string(trim(lines.front()));
  try {
    if (lines.size() <= counts_line)
      throw ToolError("the record ends before its counts line");
    if (lines[counts_line].find(v3000_mark) != std::string_view::npos)
      read_v3000(lines, record);
    else
      read_v2000(lines, record);
  } catch (const ToolError& e) {
    record.symbols.clear();
    record.positions.clear();
    record.error = e.what();
  }
  return record;
}

} // namespace

std::vector<SdfAtoms> read_sdf_atoms(std::string_view text) {
  std::vector<SdfAtoms> records;
  Lines lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.ends_with('\r'))
      line.remove_suffix(1);
    if (line == record_end) {
      records.push_back(read_record(lines));
      lines.clear();
    } else {
      lines.push_back(line);
    }
  }
  if (!lines.empty() && !trim(lines.front()).empty())
    records.push_back(read_record(lines));
  return records;
}

} // namespace tools
