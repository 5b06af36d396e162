#include "tools/molecule.hpp"

#include <cmath>
#include <string_view>

namespace tools {

namespace {

// The atom lines hold F16.10 coordinates: magnitudes from 1e5 up do not fit.
constexpr double coordinate_limit = 99999.9999999999;

// Bonded neighbours a carbon of each Sybyl type has when its hydrogens are present.
int carbon_neighbours(std::string_view sybyl_type) {
  if (sybyl_type == "C.3")
    return 4;
  if (sybyl_type == "C.2" || sybyl_type == "C.ar" || sybyl_type == "C.cat")
    return 3;
  if (sybyl_type == "C.1")
    return 2;
  return 0;
}

void check_hydrogens(const Molecule& molecule) {
  std::vector<int> neighbours(molecule.atoms.size(), 0);
  for (const Bond& bond : molecule.bonds) {
    ++neighbours[static_cast<std::size_t>(bond.i - 1)];
    ++neighbours[static_cast<std::size_t>(bond.j - 1)];
  }
  for (std::size_t k = 0; k < molecule.atoms.size(); ++k) {
    const int needed = carbon_neighbours(molecule.atoms[k].sybyl_type);
    if (neighbours[k] < needed)
      throw ToolError("missing hydrogens: atom " + std::to_string(k + 1) + " (" +
                      molecule.atoms[k].sybyl_type + ") has " + std::to_string(neighbours[k]) +
                      " bonded neighbours, its type needs " + std::to_string(needed));
  }
}

} // namespace

void check_molecule(const Molecule& molecule) {
  const auto n = static_cast<int>(molecule.atoms.size());
  if (n < 1 || n > max_atoms)
    throw ToolError(std::to_string(n) + " atoms, the programs take 1 to " +
                    std::to_string(max_atoms));
  for (std::size_t k = 0; k < molecule.atoms.size(); ++k)
    for (const double c : molecule.atoms[k].xyz)
      if (!(std::fabs(c) <= coordinate_limit))
        throw ToolError("atom " + std::to_string(k + 1) + ": coordinate too large for the input");
  if (molecule.has_bonds)
    check_hydrogens(molecule);
}

std::vector<double> bond_lengths(const std::vector<Bond>& bonds, const std::vector<Vec3>& xyz) {
  std::vector<double> lengths;
  lengths.reserve(bonds.size());
  for (const Bond& bond : bonds) {
    const Vec3& a = xyz.at(static_cast<std::size_t>(bond.i - 1));
    const Vec3& b = xyz.at(static_cast<std::size_t>(bond.j - 1));
    double sum = 0.0;
    for (int c = 0; c < 3; ++c)
      sum += (a[c] - b[c]) * (a[c] - b[c]);
    lengths.push_back(std::sqrt(sum));
  }
  return lengths;
}

} // namespace tools
