#include "tools/formats/file_records.hpp"

#include <array>
#include <cstdio>
#include <utility>

#include "tools/core/tokens.hpp"
#include "tools/formats/record_checks.hpp"

namespace tools {

namespace {

constexpr std::string_view sdf_end = "$$$$";
constexpr std::string_view mol2_start = "@<TRIPOS>MOLECULE";
constexpr std::string_view pdb_end = "END";
constexpr std::string_view pdb_model = "MODEL";
constexpr std::string_view pdb_compound = "COMPND"; // a molecule's name
constexpr char mol2_comment = '#';
// A record keeps at most this much text; the rest of a larger one is read past, and it is
// damaged (no molecule the programs take comes near it).
constexpr std::size_t max_record_bytes = std::size_t{16} << 20;

struct LayoutName {
  std::string_view code;
  RecordLayout layout;
};

constexpr std::array<LayoutName, 13> layouts = {{{"sdf", RecordLayout::sdf},
                                                 {"sd", RecordLayout::sdf},
                                                 {"mol", RecordLayout::sdf},
                                                 {"mdl", RecordLayout::sdf},
                                                 {"mol2", RecordLayout::mol2},
                                                 {"ml2", RecordLayout::mol2},
                                                 {"sy2", RecordLayout::mol2},
                                                 {"pdb", RecordLayout::pdb},
                                                 {"ent", RecordLayout::pdb},
                                                 {"xyz", RecordLayout::xyz},
                                                 {"smi", RecordLayout::smiles},
                                                 {"smiles", RecordLayout::smiles},
                                                 {"can", RecordLayout::smiles}}};

bool is_blank_line(std::string_view line) { return trim(line).empty(); }

bool holds_only_blank_lines(std::string_view text) {
  return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

bool ends_sdf(std::string_view line) { return trim(line) == sdf_end; }

// END and ENDMDL; the record name fills columns 1-6.
bool ends_pdb(std::string_view line) { return line.starts_with(pdb_end); }

// An XYZ block's first line: the atom count alone.
bool is_count_line(std::string_view line) {
  const auto words = split_words(line);
  int n = 0;
  return words.size() == 1 && parse_int(words[0], n);
}

std::string line_damage(int number, std::string_view what) {
  return "line " + std::to_string(number) + " " + std::string(what);
}

// Control bytes (other than TAB and a carriage return before the line feed) mark binary data.
std::string control_byte_damage(const std::string& text, int number) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\t' && c != '\r') || byte == 0x7f) {
      std::array<char, 8> hex{};
      std::snprintf(hex.data(), hex.size(), "0x%02X", byte);
      return line_damage(number,
                         "holds the control byte " + std::string(hex.data()) + " (binary data?)");
    }
  }
  return {};
}

} // namespace

RecordLayout record_layout(std::string_view format_code) {
  for (const LayoutName& entry : layouts)
    if (entry.code == format_code)
      return entry.layout;
  return RecordLayout::whole;
}

RecordReader::RecordReader(std::istream& in, RecordLayout layout) : in_(in), layout_(layout) {}

bool RecordReader::read_line(Line& line) {
  if (pushed_back_) {
    line = std::move(*pushed_back_);
    pushed_back_.reset();
    return true;
  }
  line.text.clear();
  line.overlong = false;
  std::streambuf* buffer = in_.rdbuf();
  bool any = false;
  for (int c = buffer->sbumpc(); c != std::char_traits<char>::eof(); c = buffer->sbumpc()) {
    any = true;
    if (c == '\n')
      break;
    if (line.text.size() < max_line_length)
      line.text += static_cast<char>(c);
    else
      line.overlong = true;
  }
  if (!any)
    return false;
  if (!line.text.empty() && line.text.back() == '\r')
    line.text.pop_back();
  line.number = ++line_number_;
  return true;
}

bool RecordReader::peek_line(Line& line) {
  if (!read_line(line))
    return false;
  pushed_back_ = line;
  return true;
}

void RecordReader::add_line(FileRecord& record, const Line& line) {
  if (record.damage.empty() && line.overlong)
    record.damage = line_damage(line.number, "is longer than " + std::to_string(max_line_length) +
                                                 " characters");
  if (record.damage.empty())
    record.damage = control_byte_damage(line.text, line.number);
  if (record.text.size() + line.text.size() >= max_record_bytes) {
    if (record.damage.empty())
      record.damage = "the record is larger than " + std::to_string(max_record_bytes >> 20) + " MB";
    return;
  }
  record.text += line.text;
  record.text += '\n';
}

void RecordReader::collect_until_end_mark(FileRecord& record, bool (*ends)(std::string_view)) {
  Line line;
  while (read_line(line)) {
    add_line(record, line);
    if (ends(line.text))
      return;
  }
}

void RecordReader::collect_mol2(FileRecord& record) {
  Line line;
  if (!read_line(line))
    return;
  add_line(record, line);
  if (!line.text.starts_with(mol2_start))
    record.damage = line_damage(line.number, "is not " + std::string(mol2_start));
  else if (peek_line(line))
    record.title = pushed_back_->text;
  while (read_line(line)) {
    if (line.text.starts_with(mol2_start)) {
      pushed_back_ = std::move(line);
      return;
    }
    add_line(record, line);
  }
}

// A block is its count line, a title line and that many atom lines. A count that does not match
// the lines damages the block, and reading takes up again at the next count line.
void RecordReader::collect_xyz(FileRecord& record) {
  Line line;
  read_line(line);
  add_line(record, line);
  int count = 0;
  const auto words = split_words(line.text);
  if (!is_count_line(line.text) || !parse_int(words[0], count)) {
    record.damage = line_damage(line.number, "does not start an XYZ block with the atom count");
    count = 0;
  } else if (read_line(line)) {
    add_line(record, line);
    record.title = line.text;
  }
  int atoms = 0;
  while (read_line(line)) {
    if (is_count_line(line.text)) {
      pushed_back_ = std::move(line);
      break;
    }
    if (!is_blank_line(line.text)) {
      if (atoms == count && record.damage.empty())
        record.damage = "the count says " + std::to_string(count) + " atoms; more lines follow";
      ++atoms;
    }
    add_line(record, line);
  }
  if (record.damage.empty() && atoms < count)
    record.damage = "the count says " + std::to_string(count) + " atoms; the block has " +
                    std::to_string(atoms);
}

void RecordReader::collect_smiles(FileRecord& record, const Line& line) {
  add_line(record, line);
  const std::string_view text = trim(line.text);
  const std::size_t gap = text.find_first_of(" \t");
  if (gap != std::string_view::npos)
    record.title = trim(text.substr(gap));
}

// An SDF record starts on the line after the previous one's end mark, blank or not: a blank first
// line is a molecule without a title. Blank lines with nothing after them end the file.
bool RecordReader::skips_before_record(std::string_view line) const {
  switch (layout_) {
  case RecordLayout::sdf:
    return false;
  case RecordLayout::mol2:
    return is_blank_line(line) || line.starts_with(mol2_comment);
  default:
    return is_blank_line(line);
  }
}

std::optional<FileRecord> RecordReader::next() {
  Line line;
  for (;;) {
    do {
      if (!peek_line(line))
        return std::nullopt;
      if (skips_before_record(line.text))
        read_line(line);
      else
        break;
    } while (true);
    FileRecord record;
    record.first_line = line.number;
    switch (layout_) {
    case RecordLayout::sdf:
      record.title = line.text;
      collect_until_end_mark(record, ends_sdf);
      if (holds_only_blank_lines(record.text))
        return std::nullopt;
      break;
    case RecordLayout::pdb:
      collect_until_end_mark(record, ends_pdb);
      if (!has_pdb_atoms(record.text) && record.text.find(pdb_model) == std::string::npos &&
          record.text.find(pdb_compound) == std::string::npos)
        continue; // headers or trailers between models, not a molecule
      break;
    case RecordLayout::mol2:
      collect_mol2(record);
      break;
    case RecordLayout::xyz:
      collect_xyz(record);
      break;
    case RecordLayout::smiles:
      read_line(line);
      collect_smiles(record, line);
      break;
    case RecordLayout::whole:
      collect_until_end_mark(record, [](std::string_view) { return false; });
      break;
    }
    record.index = ++records_;
    if (record.damage.empty())
      record.damage = record_damage(record.text, layout_);
    return record;
  }
}

} // namespace tools
