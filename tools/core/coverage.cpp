#include "tools/core/coverage.hpp"

#include <algorithm>
#include <map>

#include "kelma/parameter_tables.hpp"
#include "kelma/parameters.hpp"
#include "tools/core/status.hpp"

namespace tools {

namespace {

// The atoms bonded to each atom (0-based lists of 1-based atom numbers) and the code of each bond.
struct Bonding {
  std::vector<std::vector<int>> neighbours;
  std::map<std::pair<int, int>, int> codes;

  explicit Bonding(const Molecule& molecule) : neighbours(molecule.atoms.size()) {
    for (const Bond& bond : molecule.bonds) {
      neighbours[static_cast<std::size_t>(bond.i - 1)].push_back(bond.j);
      neighbours[static_cast<std::size_t>(bond.j - 1)].push_back(bond.i);
      codes[std::minmax(bond.i, bond.j)] = bond.code;
    }
  }
  const std::vector<int>& of(int atom) const {
    return neighbours[static_cast<std::size_t>(atom - 1)];
  }
  int code(int a, int b) const { return codes.at(std::minmax(a, b)); }
};

// A chain of atoms named by their Sybyl types, read in the direction that sorts first, so that
// a term and its reverse share one name.
std::string chain_name(const Molecule& molecule, const std::vector<int>& atoms) {
  std::vector<std::string> names;
  for (const int atom : atoms)
    names.push_back(molecule.atoms[static_cast<std::size_t>(atom - 1)].sybyl_type);
  std::vector<std::string> reversed(names.rbegin(), names.rend());
  const std::vector<std::string>& first = std::min(names, reversed);
  std::string text;
  for (const std::string& name : first)
    text += (text.empty() ? "" : "-") + name;
  return text;
}

int type_of(const Molecule& molecule, int atom) {
  return molecule.atoms[static_cast<std::size_t>(atom - 1)].ff_type;
}

bool generic_bond_row(int row) {
  return kelma::bond_row(row).type1 == 0 || kelma::bond_row(row).type2 == 0;
}

void cover_bonds(const Molecule& molecule, Coverage& coverage) {
  for (const Bond& bond : molecule.bonds) {
    const int row =
        kelma::find_bond_row(type_of(molecule, bond.i), type_of(molecule, bond.j), bond.code);
    if (row == 0)
      coverage.frozen_bonds.push_back(chain_name(molecule, {bond.i, bond.j}));
    else if (generic_bond_row(row))
      coverage.generic_hydrogen_bonds.push_back(chain_name(molecule, {bond.i, bond.j}));
  }
}

void cover_bends(const Molecule& molecule, const Bonding& bonding, Coverage& coverage) {
  for (int apex = 1; apex <= static_cast<int>(molecule.atoms.size()); ++apex) {
    const std::vector<int>& ends = bonding.of(apex);
    for (std::size_t p = 0; p < ends.size(); ++p)
      for (std::size_t q = p + 1; q < ends.size(); ++q)
        if (kelma::find_angle_row(type_of(molecule, ends[p]), type_of(molecule, apex),
                                  type_of(molecule, ends[q])) == 0)
          coverage.frozen_bends.push_back(chain_name(molecule, {ends[p], apex, ends[q]}));
  }
}

void cover_torsions(const Molecule& molecule, const Bonding& bonding, Coverage& coverage) {
  for (const Bond& central : molecule.bonds)
    for (const int a : bonding.of(central.i))
      for (const int d : bonding.of(central.j)) {
        if (a == central.j || d == central.i || a == d)
          continue;
        if (kelma::find_torsion_row(type_of(molecule, a), type_of(molecule, central.i),
                                    type_of(molecule, central.j), type_of(molecule, d),
                                    bonding.code(central.i, central.j)) == 0)
          coverage.default_torsions.push_back(chain_name(molecule, {a, central.i, central.j, d}));
      }
}

// "3 bonds have no parameter and are held at their input length: C.2-O.co2 x2, P.3-S.2".
std::string part(const std::vector<std::string>& terms, std::string_view one,
                 std::string_view many) {
  std::map<std::string, int> counted;
  for (const std::string& term : terms)
    ++counted[term];
  std::string text =
      std::to_string(terms.size()) + " " + std::string(terms.size() == 1 ? one : many) + ":";
  std::string_view separator = " ";
  for (const auto& [term, count] : counted) {
    text += std::string(separator) + term + (count > 1 ? " x" + std::to_string(count) : "");
    separator = ", ";
  }
  return text;
}

} // namespace

bool Coverage::complete() const {
  return frozen_bonds.empty() && generic_hydrogen_bonds.empty() && frozen_bends.empty() &&
         default_torsions.empty();
}

std::string Coverage::summary() const {
  const std::string parts[] = {
      frozen_bonds.empty()
          ? ""
          : part(frozen_bonds, "bond has no parameter and is held at its input length",
                 "bonds have no parameter and are held at their input length"),
      generic_hydrogen_bonds.empty()
          ? ""
          : part(generic_hydrogen_bonds,
                 "bond to hydrogen has no parameter and takes the generic X-H row (1.008 A)",
                 "bonds to hydrogen have no parameter and take the generic X-H row (1.008 A)"),
      frozen_bends.empty()
          ? ""
          : part(frozen_bends, "bend has no parameter and is held at its input angle",
                 "bends have no parameter and are held at their input angle"),
      default_torsions.empty()
          ? ""
          : part(default_torsions,
                 "torsion has no parameter and takes the default barrier (0.2 kcal/mol, threefold)",
                 "torsions have no parameter and take the default barrier (0.2 kcal/mol, "
                 "threefold)")};
  std::string text;
  for (const std::string& p : parts)
    if (!p.empty())
      text += (text.empty() ? "" : "; ") + p;
  return text;
}

std::string Coverage::column() const {
  const std::pair<std::string_view, std::size_t> counts[] = {
      {"bonds", frozen_bonds.size() + generic_hydrogen_bonds.size()},
      {"bends", frozen_bends.size()},
      {"torsions", default_torsions.size()}};
  std::string text;
  for (const auto& [kind, count] : counts)
    if (count > 0)
      text += (text.empty() ? "" : ", ") + std::string(kind) + " " + std::to_string(count);
  return text.empty() ? std::string(nothing_noted) : text;
}

Coverage parameter_coverage(const Molecule& molecule) {
  Coverage coverage;
  const Bonding bonding(molecule);
  cover_bonds(molecule, coverage);
  cover_bends(molecule, bonding, coverage);
  cover_torsions(molecule, bonding, coverage);
  return coverage;
}

} // namespace tools
