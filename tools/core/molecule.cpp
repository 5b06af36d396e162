#include "tools/core/molecule.hpp"
#include "tools/core/tool_error.hpp"

#include <cmath>

namespace tools {

namespace {

// The atom lines hold F16.10 coordinates: a minus sign takes one of the five places before the
// point.
constexpr double lowest_coordinate = -9999.9999999999;
constexpr double highest_coordinate = 99999.9999999999;

} // namespace

std::string atom_count_damage(int n, std::string_view what) {
  if (n >= 1 && n <= common::max_atoms)
    return {};
  return std::to_string(n) + " atoms" + std::string(what) + ", the programs take 1 to " +
         std::to_string(common::max_atoms);
}

void check_atom_count(int n, std::string_view what) {
  if (std::string damage = atom_count_damage(n, what); !damage.empty())
    throw ToolError(damage);
}

void check_molecule(const Molecule& molecule) {
  check_atom_count(static_cast<int>(molecule.atoms.size()), "");
  for (std::size_t k = 0; k < molecule.atoms.size(); ++k)
    for (const double c : molecule.atoms[k].xyz)
      if (!(c >= lowest_coordinate && c <= highest_coordinate))
        throw ToolError("atom " + std::to_string(k + 1) + ": coordinate too large for the input");
}

} // namespace tools
