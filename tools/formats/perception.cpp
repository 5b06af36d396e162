#include "tools/formats/perception.hpp"

#include <algorithm>
#include <map>

#include <openbabel/atom.h>
#include <openbabel/bond.h>
#include <openbabel/data.h>
#include <openbabel/elements.h>
#include <openbabel/mol.h>
#include <openbabel/obfunctions.h>
#include <openbabel/obiter.h>

#include "tools/core/atom_types.hpp"
#include "tools/core/status.hpp"
#include "tools/core/tokens.hpp"
#include "tools/core/tool_error.hpp"
#include "tools/formats/stereo_check.hpp"

namespace tools {

namespace {

using OpenBabel::OBAtom;
using OpenBabel::OBBond;
using OpenBabel::OBMol;

constexpr int amide_code = 4;
constexpr int aromatic_code = 5;
constexpr int highest_bond_order = 3;
// Open Babel's own dimension of a molecule with Cartesian coordinates.
constexpr int coordinates_3d = 3;
// Atoms named in a report (missing hydrogens, kept types); the rest are counted.
constexpr std::size_t atoms_named = 5;

// Open Babel keeps atom types in its internal naming; MOL2 speaks Sybyl.
OpenBabel::OBTypeTable type_table(const char* from, const char* to) {
  OpenBabel::OBTypeTable table;
  table.SetFromType(from);
  table.SetToType(to);
  return table;
}

std::string translated(OpenBabel::OBTypeTable& table, const std::string& type) {
  std::string out;
  return table.Translate(out, type) ? out : type;
}

std::string sybyl_of(const std::string& internal) {
  static OpenBabel::OBTypeTable table = type_table("INT", "SYB");
  return translated(table, internal);
}

std::string internal_of(const std::string& sybyl) {
  static OpenBabel::OBTypeTable table = type_table("SYB", "INT");
  return translated(table, sybyl);
}

std::vector<std::string> sybyl_types(OBMol& mol) {
  std::vector<std::string> types;
  FOR_ATOMS_OF_MOL(atom, mol)
  types.push_back(sybyl_of(atom->GetType()));
  return types;
}

// The first few items, comma-separated, and "..." for the rest.
std::string listed(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t k = 0; k < items.size() && k < atoms_named; ++k)
    text += (k == 0 ? "" : ", ") + items[k];
  return items.size() > atoms_named ? text + ", ..." : text;
}

std::string element_of(const OBAtom& atom) {
  return OpenBabel::OBElements::GetSymbol(atom.GetAtomicNum());
}

void perceive_bonds(OBMol& mol, Notes& notes) {
  if (mol.NumBonds() > 0 || mol.NumAtoms() < 2)
    return;
  mol.ConnectTheDots();
  mol.PerceiveBondOrders();
  notes.add("bonds perceived", "the file has no bonds: " + std::to_string(mol.NumBonds()) +
                                   " bonds and their orders perceived from the coordinates");
}

// Open Babel's typical valences say how many hydrogens each atom lacks. Readers of formats
// without coordinates (SMILES) have already set the counts, bracket atoms included.
void count_missing_hydrogens(OBMol& mol) {
  if (mol.GetDimension() == 0)
    return;
  FOR_ATOMS_OF_MOL(atom, mol)
  OpenBabel::OBAtomAssignTypicalImplicitHydrogens(&*atom);
}

// "atom 3 (O) lacks 1, atom 5 (N) lacks 2"; empty when no hydrogen is missing.
std::string missing_hydrogens_text(OBMol& mol) {
  std::vector<std::string> atoms;
  unsigned int total = 0;
  FOR_ATOMS_OF_MOL(atom, mol) {
    if (const unsigned int missing = atom->GetImplicitHCount(); missing > 0) {
      total += missing;
      atoms.push_back("atom " + std::to_string(atom->GetIdx()) + " (" + element_of(*atom) +
                      ") lacks " + std::to_string(missing));
    }
  }
  return atoms.empty()
             ? ""
             : listed(atoms) +
                   (atoms.size() > atoms_named ? " (" + std::to_string(total) + " in all)" : "");
}

void complete_hydrogens(OBMol& mol, const PerceptionOptions& options, Notes& notes) {
  count_missing_hydrogens(mol);
  const std::string missing = missing_hydrogens_text(mol);
  if (missing.empty())
    return;
  const bool add = options.add_hydrogens.value_or(mol.GetDimension() == 0);
  if (!add)
    throw ToolError("hydrogens missing: " + missing + " (--add-hydrogens adds them)");
  const unsigned int before = mol.NumAtoms();
  mol.AddHydrogens();
  notes.add("hydrogens added", "hydrogens added: " + std::to_string(mol.NumAtoms() - before));
}

// A start that breaks the given stereochemistry is another molecule: it is refused rather than
// optimised. Returns how the coordinates were built, empty when the input had them.
std::string build_3d(OBMol& mol, const BuildSettings& settings, Notes& notes) {
  if (mol.GetDimension() == coordinates_3d)
    return "";
  BuildRecipe recipe;
  const std::vector<std::string> broken =
      stereo_broken_by(mol, [&](OBMol& built) { recipe = build_coordinates(built, settings); });
  if (!broken.empty())
    throw ToolError("the 3D start breaks the stereochemistry given: " + listed(broken));
  notes.add("3D built", "3D coordinates built by " + recipe.text());
  return recipe.text();
}

// The file's types for the atoms it had, Open Babel's typer for the rest (or for all). Where the
// two disagree, the kept type is noted with the typer's.
void assign_types(OBMol& mol, const std::vector<std::string>& file_types, Notes& notes) {
  mol.SetAtomTypesPerceived(false);
  const std::vector<std::string> perceived = sybyl_types(mol); // runs the typer
  std::vector<std::string> differing;
  std::size_t k = 0;
  FOR_ATOMS_OF_MOL(atom, mol) {
    if (k < file_types.size() && file_types[k] != perceived[k]) {
      atom->SetType(internal_of(file_types[k]));
      differing.push_back("atom " + std::to_string(k + 1) + " " + file_types[k] +
                          " (typer: " + perceived[k] + ")");
    }
    ++k;
  }
  mol.SetAtomTypesPerceived();
  if (!differing.empty())
    notes.add("file types kept",
              "types kept from the file where Open Babel's typer differs (--retype takes "
              "the typer's): " +
                  listed(differing) +
                  (differing.size() > atoms_named
                       ? " (" + std::to_string(differing.size()) + " atoms)"
                       : ""));
}

int bond_code(OBBond& bond, std::map<std::string, int>& odd_orders) {
  if (bond.IsAromatic())
    return aromatic_code;
  if (bond.IsAmide())
    return amide_code;
  const int order = static_cast<int>(bond.GetBondOrder());
  if (order >= 1 && order <= highest_bond_order)
    return order;
  ++odd_orders["bond order " + std::to_string(order) + " taken as single (1)"];
  return 1;
}

void note_counted(const std::map<std::string, int>& counted, std::string_view tag, Notes& notes) {
  for (const auto& [what, count] : counted)
    notes.add(tag, what + (count > 1 ? " (" + std::to_string(count) + " times)" : ""));
}

Molecule molecule_of(OBMol& mol, Notes& notes) {
  Molecule molecule;
  molecule.name = std::string(trim(mol.GetTitle()));
  std::map<std::string, int> nearest_types;
  std::map<std::string, int> odd_orders;
  FOR_ATOMS_OF_MOL(atom, mol) {
    Atom out{element_of(*atom), sybyl_of(atom->GetType()), 0, {atom->x(), atom->y(), atom->z()}};
    const TypeMatch match = sybyl_type_number(out.sybyl_type);
    out.ff_type = match.number;
    if (!match.exact)
      ++nearest_types[out.sybyl_type + " takes " + std::string(match.stands_in_for) + " (" +
                      std::to_string(match.number) + ")"];
    molecule.atoms.push_back(std::move(out));
  }
  FOR_BONDS_OF_MOL(bond, mol) {
    const int a = static_cast<int>(bond->GetBeginAtomIdx());
    const int b = static_cast<int>(bond->GetEndAtomIdx());
    molecule.bonds.push_back({std::min(a, b), std::max(a, b), bond_code(*bond, odd_orders)});
  }
  std::sort(molecule.bonds.begin(), molecule.bonds.end(),
            [](const Bond& p, const Bond& q) { return std::pair(p.i, p.j) < std::pair(q.i, q.j); });
  note_counted(nearest_types, "nearest types", notes);
  note_counted(odd_orders, "bond orders taken as single", notes);
  return molecule;
}

} // namespace

void Notes::add(std::string_view tag, std::string line) {
  lines.push_back(std::move(line));
  if (std::find(tags.begin(), tags.end(), tag) == tags.end())
    tags.emplace_back(tag);
}

std::string Notes::column() const {
  std::string text;
  for (const std::string& tag : tags)
    text += (text.empty() ? "" : ", ") + tag;
  return text.empty() ? std::string(nothing_noted) : text;
}

Molecule perceive(OBMol& mol, const PerceptionOptions& options, Notes& notes) {
  const bool file_typed = mol.HasAtomTypesPerceived() && !options.retype;
  const std::vector<std::string> file_types =
      file_typed ? sybyl_types(mol) : std::vector<std::string>{};
  perceive_bonds(mol, notes);
  complete_hydrogens(mol, options, notes);
  // Before the 3D build, which would take minutes over thousands of atoms.
  check_atom_count(static_cast<int>(mol.NumAtoms()), " with hydrogens");
  const std::string start = build_3d(mol, options.build, notes);
  // Aromaticity, for the typer and the bond codes, from Open Babel's own model, not from the
  // bond types the file wrote.
  mol.SetAromaticPerceived(false);
  assign_types(mol, file_types, notes);
  Molecule molecule = molecule_of(mol, notes);
  molecule.start = start;
  return molecule;
}

} // namespace tools
