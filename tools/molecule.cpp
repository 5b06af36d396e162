#include "tools/molecule.hpp"

#include <cmath>

namespace tools {

namespace {

// The atom lines hold F16.10 coordinates: magnitudes from 1e5 up do not fit.
constexpr double coordinate_limit = 99999.9999999999;

} // namespace

void check_molecule(const Molecule& molecule) {
  const auto n = static_cast<int>(molecule.atoms.size());
  if (n < 1 || n > common::max_atoms)
    throw ToolError(std::to_string(n) + " atoms, the programs take 1 to " +
                    std::to_string(common::max_atoms));
  for (std::size_t k = 0; k < molecule.atoms.size(); ++k)
    for (const double c : molecule.atoms[k].xyz)
      if (!(std::fabs(c) <= coordinate_limit))
        throw ToolError("atom " + std::to_string(k + 1) + ": coordinate too large for the input");
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
