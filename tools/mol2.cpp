#include "tools/mol2.hpp"

#include <map>
#include <unordered_map>

#include "common/records.hpp"
#include "tools/atom_types.hpp"
#include "tools/files.hpp"

namespace tools {

namespace {

constexpr std::string_view section_prefix = "@<TRIPOS>";
constexpr std::string_view molecule_header = "@<TRIPOS>MOLECULE";
constexpr int atom_words = 6; // id, name, x, y, z, type
constexpr int bond_words = 4; // id, origin, target, type
constexpr int coordinate_width = 16;
constexpr int coordinate_decimals = 10;

bool is_section(std::string_view line) { return line.starts_with(section_prefix); }

// Blank lines and comments may stand anywhere inside a section.
bool is_content(std::string_view line) {
  const std::string_view text = trim(line);
  return !text.empty() && text.front() != '#';
}

// The line indices [begin, end) of a section's body; begin == end == 0 when it is absent.
struct Span {
  std::size_t begin = 0;
  std::size_t end = 0;
  bool present = false;
};

Span find_section(const Mol2Record& record, std::string_view name) {
  const std::string header = std::string(section_prefix) + std::string(name);
  for (std::size_t k = 0; k < record.lines.size(); ++k) {
    if (trim(record.lines[k]) != header)
      continue;
    std::size_t end = k + 1;
    while (end < record.lines.size() && !is_section(record.lines[end]))
      ++end;
    return {k + 1, end, true};
  }
  return {};
}

class RecordReader {
public:
  RecordReader(const Mol2Record& record, std::vector<std::string>& notes)
      : record_(record), notes_(notes) {}

  Molecule read() {
    Molecule molecule;
    molecule.name = record_.name;
    const auto [atom_count, bond_count] = read_counts();
    read_atoms(molecule, atom_count);
    read_bonds(molecule, bond_count);
    note_unmapped_types();
    return molecule;
  }

private:
  [[noreturn]] void fail(std::size_t k, const std::string& what) const {
    throw ToolError("line " + std::to_string(record_.first_line + static_cast<int>(k)) + ": " +
                    what);
  }

  std::pair<int, int> read_counts() const {
    // The molecule section: header, name line, counts line.
    constexpr std::size_t counts_line = 2;
    if (record_.lines.size() <= counts_line || is_section(record_.lines[counts_line]))
      fail(0, "the counts line of the molecule is missing");
    const auto words = split_words(record_.lines[counts_line]);
    int atoms = 0;
    int bonds = 0;
    if (words.empty() || !parse_int(words[0], atoms) ||
        (words.size() > 1 && !parse_int(words[1], bonds)))
      fail(counts_line, "unreadable counts line");
    return {atoms, bonds};
  }

  void read_atoms(Molecule& molecule, int expected) {
    const Span atoms = find_section(record_, "ATOM");
    if (!atoms.present)
      fail(0, "the molecule has no @<TRIPOS>ATOM section");
    for (std::size_t k = atoms.begin; k < atoms.end; ++k) {
      if (!is_content(record_.lines[k]))
        continue;
      const auto words = split_words(record_.lines[k]);
      int id = 0;
      Atom atom;
      if (words.size() < atom_words || !parse_int(words[0], id) ||
          !parse_double(words[2], atom.xyz[0]) || !parse_double(words[3], atom.xyz[1]) ||
          !parse_double(words[4], atom.xyz[2]))
        fail(k, "unreadable atom record");
      if (!index_of_id_.emplace(id, static_cast<int>(molecule.atoms.size()) + 1).second)
        fail(k, "atom id " + std::to_string(id) + " appears twice");
      atom.sybyl_type = std::string(words[5]);
      atom.element = element_of_sybyl(atom.sybyl_type);
      const TypeMatch match = sybyl_type_number(atom.sybyl_type);
      atom.ff_type = match.number;
      if (!match.exact)
        ++unmapped_[atom.sybyl_type + " takes " + std::string(match.stands_in_for) + " (" +
                    std::to_string(match.number) + ")"];
      molecule.atoms.push_back(std::move(atom));
    }
    if (static_cast<int>(molecule.atoms.size()) != expected)
      fail(atoms.begin, std::to_string(molecule.atoms.size()) +
                            " atom records, the counts line says " + std::to_string(expected));
  }

  int atom_number(std::size_t k, std::string_view id_text) const {
    int id = 0;
    if (!parse_int(id_text, id))
      fail(k, "unreadable bond record");
    const auto found = index_of_id_.find(id);
    if (found == index_of_id_.end())
      fail(k, "bond to atom id " + std::to_string(id) + ", not in the molecule");
    return found->second;
  }

  void read_bonds(Molecule& molecule, int expected) {
    molecule.has_bonds = true;
    const Span bonds = find_section(record_, "BOND");
    int count = 0;
    for (std::size_t k = bonds.begin; k < bonds.end; ++k) {
      if (!is_content(record_.lines[k]))
        continue;
      const auto words = split_words(record_.lines[k]);
      if (words.size() < bond_words)
        fail(k, "unreadable bond record");
      ++count;
      Bond bond{atom_number(k, words[1]), atom_number(k, words[2]), 0};
      if (bond.i == bond.j)
        fail(k, "bond of an atom to itself");
      bond.code = bond_code_of(k, words[3]);
      if (bond.code != 0)
        molecule.bonds.push_back(bond);
    }
    if (count != expected)
      fail(bonds.present ? bonds.begin : 0, std::to_string(count) +
                                                " bond records, the counts line says " +
                                                std::to_string(expected));
  }

  // 0 for a bond that is left out.
  int bond_code_of(std::size_t k, std::string_view type) {
    if (const auto code = bond_code(type))
      return *code;
    if (type == "nc") {
      ++unmapped_["bond type nc left out"];
      return 0;
    }
    if (type == "du" || type == "un") {
      ++unmapped_["bond type " + std::string(type) + " taken as single (1)"];
      return 1;
    }
    fail(k, "unknown bond type '" + std::string(type) + "'");
  }

  void note_unmapped_types() {
    for (const auto& [what, count] : unmapped_)
      notes_.push_back(what + (count > 1 ? " (" + std::to_string(count) + " times)" : ""));
  }

  const Mol2Record& record_;
  std::vector<std::string>& notes_;
  std::unordered_map<int, int> index_of_id_; // MOL2 atom id -> 1-based atom number
  std::map<std::string, int> unmapped_;      // report text -> how often
};

std::string pad_right(std::string_view text, std::size_t width) {
  std::string out(text);
  if (out.size() < width)
    out.append(width - out.size(), ' ');
  return out;
}

// An atom line with new coordinates and every other field as read.
std::string atom_line(const std::vector<std::string_view>& words, const Vec3& xyz) {
  common::Record record;
  record.a(words[0], 7).text(" ").text(pad_right(words[1], 8));
  for (const double c : xyz)
    record.f(c, coordinate_width, coordinate_decimals);
  record.text(" ").text(pad_right(words[5], 6));
  std::string line = record.str();
  for (std::size_t w = atom_words; w < words.size(); ++w) {
    line += ' ';
    line += words[w];
  }
  return line;
}

} // namespace

std::vector<Mol2Record> split_mol2(std::string_view text) {
  std::vector<Mol2Record> records;
  const std::vector<std::string> lines = split_lines(text);
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (trim(lines[k]) == molecule_header) {
      records.emplace_back();
      records.back().first_line = static_cast<int>(k) + 1;
      if (k + 1 < lines.size() && !is_section(lines[k + 1]))
        records.back().name = std::string(trim(lines[k + 1]));
    }
    if (!records.empty())
      records.back().lines.push_back(lines[k]);
  }
  return records;
}

Molecule parse_mol2(const Mol2Record& record, std::vector<std::string>& notes) {
  return RecordReader(record, notes).read();
}

std::string mol2_with_coordinates(const Mol2Record& record, const std::vector<Vec3>& xyz) {
  std::string out;
  const Span atoms = find_section(record, "ATOM");
  std::size_t next = 0;
  for (std::size_t k = 0; k < record.lines.size(); ++k) {
    const bool atom_record = k >= atoms.begin && k < atoms.end && is_content(record.lines[k]);
    if (atom_record && next < xyz.size() && split_words(record.lines[k]).size() >= atom_words)
      out += atom_line(split_words(record.lines[k]), xyz[next++]);
    else if (atom_record)
      throw ToolError("the MOL2 molecule has more atoms than the result");
    else
      out += record.lines[k];
    out += '\n';
  }
  if (next != xyz.size())
    throw ToolError("the MOL2 molecule has fewer atoms than the result");
  return out;
}

std::string mol2_text(const Mol2Record& record) {
  std::string out;
  for (const std::string& line : record.lines)
    out += line + '\n';
  return out;
}

} // namespace tools
