#include "tools/formats/record_checks.hpp"

#include <algorithm>
#include <array>
#include <set>
#include <vector>

#include <openbabel/elements.h>

#include "tools/core/files.hpp"
#include "tools/core/molecule.hpp"
#include "tools/core/tokens.hpp"
#include "tools/formats/elements.hpp"
#include "tools/formats/smiles_check.hpp"

namespace tools {

namespace {

// Columns of the formats, 0-based start and width.
struct Columns {
  std::size_t start;
  std::size_t width;
};

// MDL V2000: the counts line and the atom and bond blocks.
constexpr Columns sdf_atom_count{0, 3};
constexpr Columns sdf_bond_count{3, 3};
constexpr std::array<Columns, 3> sdf_xyz = {{{0, 10}, {10, 10}, {20, 10}}};
constexpr Columns sdf_symbol{31, 3};
constexpr std::array<Columns, 3> sdf_bond = {{{0, 3}, {3, 3}, {6, 3}}};
constexpr int sdf_header_lines = 3;
constexpr int sdf_highest_bond_type = 4; // 1-3 orders, 4 aromatic; 5-8 are query bonds
constexpr std::string_view sdf_v3000 = "V3000";
constexpr std::string_view sdf_block_end = "M  END";

// PDB: ATOM and HETATM lines, and CONECT serials.
constexpr Columns pdb_serial{6, 5};
constexpr std::array<Columns, 3> pdb_xyz = {{{30, 8}, {38, 8}, {46, 8}}};
constexpr Columns pdb_element{76, 2};
constexpr Columns pdb_master_coordinates{50, 5}; // ATOM and HETATM lines, in the MASTER line
constexpr std::array<Columns, 5> pdb_conect = {{{6, 5}, {11, 5}, {16, 5}, {21, 5}, {26, 5}}};

constexpr std::string_view mol2_molecule = "@<TRIPOS>MOLECULE";
constexpr std::string_view mol2_atoms = "@<TRIPOS>ATOM";
constexpr std::string_view mol2_bonds = "@<TRIPOS>BOND";
constexpr std::size_t mol2_atom_words = 6; // id name x y z type
constexpr std::size_t mol2_bond_words = 4; // id atom atom type

constexpr std::size_t xyz_atom_words = 4; // element x y z

std::string field(std::string_view line, Columns columns) {
  if (line.size() <= columns.start)
    return {};
  return std::string(trim(line.substr(columns.start, columns.width)));
}

std::string atom_text(std::size_t k) { return "atom " + std::to_string(k + 1); }

bool all_numbers(const std::vector<std::string>& texts) {
  double value = 0.0;
  return std::all_of(texts.begin(), texts.end(),
                     [&](const std::string& text) { return parse_double(text, value); });
}

std::string coordinates_damage(std::size_t k, const std::vector<std::string>& texts) {
  if (all_numbers(texts))
    return {};
  std::string shown;
  for (const std::string& text : texts)
    shown += (shown.empty() ? "'" : "', '") + text;
  return atom_text(k) + ": unreadable coordinates " + shown + "'";
}

std::string element_damage(std::size_t k, std::string_view symbol) {
  if (is_element(symbol))
    return {};
  return atom_text(k) + ": unknown element '" + std::string(symbol) + "'";
}

// A bond between atoms a and b of a molecule whose atoms are known.
template <typename Known> std::string bond_damage(std::size_t k, int a, int b, const Known& known) {
  const std::string bond = "bond " + std::to_string(k + 1);
  for (const int atom : {a, b})
    if (!known(atom))
      return bond + ": atom " + std::to_string(atom) + " does not exist";
  if (a == b)
    return bond + " joins atom " + std::to_string(a) + " to itself";
  return {};
}

std::string tab_damage(std::string_view line, std::string_view what) {
  return line.find('\t') == std::string_view::npos
             ? std::string()
             : std::string(what) + ": a TAB in the fixed columns";
}

std::string sdf_atom_damage(std::size_t k, std::string_view line) {
  if (std::string damage = tab_damage(line, atom_text(k)); !damage.empty())
    return damage;
  std::vector<std::string> xyz;
  for (const Columns columns : sdf_xyz)
    xyz.push_back(field(line, columns));
  if (std::string damage = coordinates_damage(k, xyz); !damage.empty())
    return damage;
  return element_damage(k, field(line, sdf_symbol));
}

std::string sdf_bond_damage(std::size_t k, std::string_view line, int atoms) {
  const std::string bond = "bond " + std::to_string(k + 1);
  if (std::string damage = tab_damage(line, bond); !damage.empty())
    return damage;
  std::array<int, 3> values{};
  for (std::size_t c = 0; c < sdf_bond.size(); ++c)
    if (!parse_int(field(line, sdf_bond[c]), values[c]))
      return bond + ": unreadable line '" + std::string(trim(line)) + "'";
  if (values[2] < 1 || values[2] > sdf_highest_bond_type)
    return bond + ": type " + std::to_string(values[2]) + " is no bond order (1 to 4)";
  return bond_damage(k, values[0], values[1], [atoms](int a) { return a >= 1 && a <= atoms; });
}

std::string sdf_damage(const std::vector<std::string>& lines) {
  if (lines.size() <= sdf_header_lines)
    return "truncated before the counts line";
  const std::string& counts = lines[sdf_header_lines];
  if (counts.find(sdf_v3000) != std::string::npos)
    return {};
  int atoms = 0;
  int bonds = 0;
  if (!parse_int(field(counts, sdf_atom_count), atoms) ||
      !parse_int(field(counts, sdf_bond_count), bonds) || bonds < 0)
    return "unreadable counts line '" + std::string(trim(counts)) + "'";
  if (std::string damage = atom_count_damage(atoms, ""); !damage.empty())
    return damage;
  const std::size_t first_atom = sdf_header_lines + 1;
  const std::size_t first_bond = first_atom + static_cast<std::size_t>(atoms);
  const std::size_t block_end = first_bond + static_cast<std::size_t>(bonds);
  if (lines.size() < block_end)
    return "truncated: the counts line gives " + std::to_string(atoms) + " atoms and " +
           std::to_string(bonds) + " bonds";
  for (std::size_t k = 0; k < static_cast<std::size_t>(atoms); ++k)
    if (std::string damage = sdf_atom_damage(k, lines[first_atom + k]); !damage.empty())
      return damage;
  for (std::size_t k = 0; k < static_cast<std::size_t>(bonds); ++k)
    if (std::string damage = sdf_bond_damage(k, lines[first_bond + k], atoms); !damage.empty())
      return damage;
  const bool ended =
      std::any_of(lines.begin() + static_cast<std::ptrdiff_t>(block_end), lines.end(),
                  [](const std::string& line) { return line == sdf_block_end; });
  return ended ? std::string() : "truncated: no '" + std::string(sdf_block_end) + "' line";
}

// The lines of a MOL2 section, blank ones left out: from the line after its mark to the next mark.
std::vector<std::string_view> mol2_section(const std::vector<std::string>& lines,
                                           std::string_view mark, bool& found) {
  std::vector<std::string_view> section;
  found = false;
  for (const std::string& line : lines) {
    if (line.starts_with("@")) {
      if (found)
        break;
      found = line.starts_with(mark);
      continue;
    }
    if (found && !trim(line).empty())
      section.push_back(line);
  }
  return section;
}

std::string mol2_atom_damage(std::size_t k, std::string_view line, std::set<int>& ids) {
  const auto words = split_words(line);
  int id = 0;
  if (words.size() < mol2_atom_words || !parse_int(words[0], id))
    return atom_text(k) + ": unreadable line '" + std::string(trim(line)) + "'";
  ids.insert(id);
  if (std::string damage = coordinates_damage(
          k, {std::string(words[2]), std::string(words[3]), std::string(words[4])});
      !damage.empty())
    return damage;
  const std::string_view type = words[5];
  if (!is_element(type.substr(0, type.find('.'))))
    return atom_text(k) + ": type '" + std::string(type) + "' names no element";
  return {};
}

std::string mol2_bond_damage(std::size_t k, std::string_view line, const std::set<int>& ids) {
  const auto words = split_words(line);
  int a = 0;
  int b = 0;
  if (words.size() < mol2_bond_words || !parse_int(words[1], a) || !parse_int(words[2], b))
    return "bond " + std::to_string(k + 1) + ": unreadable line '" + std::string(trim(line)) + "'";
  return bond_damage(k, a, b, [&ids](int atom) { return ids.contains(atom); });
}

std::string mol2_damage(const std::vector<std::string>& lines) {
  bool found = false;
  const auto molecule = mol2_section(lines, mol2_molecule, found);
  std::vector<std::string_view> counts;
  if (molecule.size() >= 2)
    counts = split_words(molecule[1]);
  int atoms = 0;
  int bonds = 0;
  if (counts.empty() || !parse_int(counts[0], atoms) ||
      (counts.size() > 1 && (!parse_int(counts[1], bonds) || bonds < 0)))
    return "unreadable counts line in " + std::string(mol2_molecule);
  if (std::string damage = atom_count_damage(atoms, ""); !damage.empty())
    return damage;
  const auto atom_lines = mol2_section(lines, mol2_atoms, found);
  if (atom_lines.size() != static_cast<std::size_t>(atoms))
    return "the counts line gives " + std::to_string(atoms) + " atoms, " + std::string(mol2_atoms) +
           " holds " + std::to_string(atom_lines.size());
  std::set<int> ids;
  for (std::size_t k = 0; k < atom_lines.size(); ++k)
    if (std::string damage = mol2_atom_damage(k, atom_lines[k], ids); !damage.empty())
      return damage;
  const auto bond_lines = mol2_section(lines, mol2_bonds, found);
  if (counts.size() > 1 && bond_lines.size() != static_cast<std::size_t>(bonds))
    return "the counts line gives " + std::to_string(bonds) + " bonds, " + std::string(mol2_bonds) +
           " holds " + std::to_string(bond_lines.size());
  for (std::size_t k = 0; k < bond_lines.size(); ++k)
    if (std::string damage = mol2_bond_damage(k, bond_lines[k], ids); !damage.empty())
      return damage;
  return {};
}

bool is_pdb_atom(std::string_view line) {
  return line.starts_with("ATOM  ") || line.starts_with("HETATM");
}

std::string pdb_atom_damage(std::size_t k, std::string_view line, std::set<int>& serials) {
  if (std::string damage = tab_damage(line, atom_text(k)); !damage.empty())
    return damage;
  int serial = 0;
  if (parse_int(field(line, pdb_serial), serial))
    serials.insert(serial);
  std::vector<std::string> xyz;
  for (const Columns columns : pdb_xyz)
    xyz.push_back(field(line, columns));
  if (std::string damage = coordinates_damage(k, xyz); !damage.empty())
    return damage;
  const std::string element = field(line, pdb_element);
  return element.empty() ? std::string() : element_damage(k, element);
}

std::string pdb_conect_damage(std::string_view line, const std::set<int>& serials) {
  for (const Columns columns : pdb_conect) {
    const std::string text = field(line, columns);
    int serial = 0;
    if (text.empty())
      continue;
    if (!parse_int(text, serial))
      return "unreadable CONECT line '" + std::string(trim(line)) + "'";
    if (!serials.contains(serial))
      return "CONECT names atom " + std::to_string(serial) + ", which the model does not have";
  }
  return {};
}

std::string pdb_damage(const std::vector<std::string>& lines) {
  std::vector<std::string_view> atoms;
  for (const std::string& line : lines)
    if (is_pdb_atom(line))
      atoms.push_back(line);
  if (atoms.empty())
    return "the model has no ATOM or HETATM lines";
  if (std::string damage = atom_count_damage(static_cast<int>(atoms.size()), ""); !damage.empty())
    return damage;
  std::set<int> serials;
  for (std::size_t k = 0; k < atoms.size(); ++k)
    if (std::string damage = pdb_atom_damage(k, atoms[k], serials); !damage.empty())
      return damage;
  for (const std::string& line : lines) {
    int counted = 0;
    if (line.starts_with("MASTER") && parse_int(field(line, pdb_master_coordinates), counted) &&
        counted != static_cast<int>(atoms.size()))
      return "the MASTER line counts " + std::to_string(counted) + " atoms, the model has " +
             std::to_string(atoms.size());
  }
  for (const std::string& line : lines)
    if (line.starts_with("CONECT"))
      if (std::string damage = pdb_conect_damage(line, serials); !damage.empty())
        return damage;
  return {};
}

std::string xyz_atom_damage(std::size_t k, std::string_view line) {
  const auto words = split_words(line);
  if (words.size() < xyz_atom_words)
    return atom_text(k) + ": unreadable line '" + std::string(trim(line)) + "'";
  int number = 0;
  const bool numbered = parse_int(words[0], number);
  if (numbered ? OpenBabel::OBElements::GetSymbol(static_cast<unsigned int>(number))[0] == '\0' ||
                     number < 1
               : !is_element(words[0]))
    return atom_text(k) + ": unknown element '" + std::string(words[0]) + "'";
  return coordinates_damage(k,
                            {std::string(words[1]), std::string(words[2]), std::string(words[3])});
}

std::string xyz_damage(const std::vector<std::string>& lines) {
  int atoms = 0;
  if (lines.empty() || !parse_int(trim(lines[0]), atoms))
    return "unreadable count line";
  if (std::string damage = atom_count_damage(atoms, ""); !damage.empty())
    return damage;
  // Every atom line has as many fields as the first: a line with one more has a number split.
  std::size_t k = 0;
  std::size_t fields = 0;
  for (std::size_t line = 2; line < lines.size(); ++line) {
    if (trim(lines[line]).empty())
      continue;
    if (std::string damage = xyz_atom_damage(k, lines[line]); !damage.empty())
      return damage;
    const std::size_t here = split_words(lines[line]).size();
    if (k++ == 0)
      fields = here;
    else if (here != fields)
      return atom_text(k - 1) + ": " + std::to_string(here) + " fields, the first atom line has " +
             std::to_string(fields);
  }
  return {};
}

} // namespace

bool has_pdb_atoms(std::string_view text) {
  const std::vector<std::string> lines = split_lines(text);
  return std::any_of(lines.begin(), lines.end(),
                     [](const std::string& line) { return is_pdb_atom(line); });
}

std::string record_damage(std::string_view text, RecordLayout layout) {
  const std::vector<std::string> lines = split_lines(text);
  switch (layout) {
  case RecordLayout::sdf:
    return sdf_damage(lines);
  case RecordLayout::mol2:
    return mol2_damage(lines);
  case RecordLayout::pdb:
    return pdb_damage(lines);
  case RecordLayout::xyz:
    return xyz_damage(lines);
  case RecordLayout::smiles:
    return smiles_damage(lines.empty() ? std::string_view() : std::string_view(lines[0]));
  case RecordLayout::whole:
    break;
  }
  return {};
}

} // namespace tools
