#include "symmetry/input.hpp"

#include <cmath>
#include <cstddef>

#include "common/records.hpp"
#include "common/termination.hpp"
#include "symmetry/operations.hpp"

namespace symmetry {

void check_thrsym(double thrsym) {
  if (!std::isfinite(thrsym) || !(thrsym > 0.0))
    common::input_error("$thrsym must be a positive number");
}

LikePair closest_like_pair(int n, std::span<const double> xyz,
                           std::span<const std::string> symbols) {
  LikePair closest;
  for (int i = 1; i < n; ++i) {
    const double* a = &xyz[3 * static_cast<std::size_t>(i - 1)];
    for (int j = i + 1; j <= n; ++j) {
      if (symbols[static_cast<std::size_t>(i - 1)] != symbols[static_cast<std::size_t>(j - 1)])
        continue;
      const double* b = &xyz[3 * static_cast<std::size_t>(j - 1)];
      const double dx = b[0] - a[0];
      const double dy = b[1] - a[1];
      const double dz = b[2] - a[2];
      const double distance = std::sqrt(dx * dx + dy * dy + dz * dz);
      if (distance > 0.0 && (closest.first == 0 || distance < closest.distance))
        closest = {i, j, distance};
    }
  }
  return closest;
}

bool spacing_allows(double thrsym, const LikePair& pair) {
  return pair.first == 0 || thrsym < spacing_factor * pair.distance;
}

void check_thrsym_spacing(double thrsym, int n, std::span<const double> xyz,
                          std::span<const std::string> symbols) {
  const LikePair pair = closest_like_pair(n, xyz, symbols);
  if (spacing_allows(thrsym, pair))
    return;
  const double bound = spacing_factor * pair.distance;
  std::string label = symbols[static_cast<std::size_t>(pair.first - 1)].substr(
      0, static_cast<std::size_t>(common::label_width));
  label.erase(label.find_last_not_of(' ') + 1);
  common::input_error(
      "$thrsym " + common::shortest_real(thrsym) + " must be below " +
      common::shortest_real(bound) + ", half the distance " + common::shortest_real(pair.distance) +
      " between atoms " + std::to_string(pair.first) + " and " + std::to_string(pair.second) +
      " (both \"" + label + "\"): like atoms closer than twice $thrsym cannot be told apart");
}

SymmetryInput read_symmetry_input(common::RunContext& run, common::InputDeck& deck) {
  SymmetryInput in;
  in.natoms = common::read_integer_keyword(run, deck, "$natoms");
  common::check_atom_count(in.natoms, max_atoms);
  in.thrsym = common::read_real_keyword(run, deck, "$thrsym");
  check_thrsym(in.thrsym);
  in.print = common::read_integer_keyword(run, deck, "$print");
  in.xyz.assign(3 * static_cast<std::size_t>(in.natoms), 0.0);
  common::getcoord1(deck, in.natoms, in.xyz, in.symbols);
  check_thrsym_spacing(in.thrsym, in.natoms, in.xyz, in.symbols);
  return in;
}

} // namespace symmetry
