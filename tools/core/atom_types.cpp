#include "tools/core/atom_types.hpp"

#include <array>
#include <utility>

namespace tools {

namespace {

// Type number n stands for sybyl_types[n - 1]; "other" is type 32.
constexpr std::array<std::string_view, 32> sybyl_types = {
    "C.3", "C.2", "C.ar", "C.1", "N.3", "N.2",  "N.1", "O.3",   "O.2", "S.3",  "N.ar",
    "P.3", "H",   "Br",   "Cl",  "F",   "I",    "S.2", "N.pl3", "LP",  "Na",   "K",
    "Ca",  "Li",  "Al",   "Du",  "Si",  "N.am", "S.O", "S.O2",  "N.4", "other"};
constexpr int other_type = 32;

// Sybyl types the force field lacks, and the type that comes nearest in hybridisation.
constexpr std::array<std::pair<std::string_view, std::string_view>, 12> nearest_types = {{
    {"O.co2", "O.2"},
    {"O.spc", "O.3"},
    {"O.t3p", "O.3"},
    {"C.cat", "C.2"},
    {"S.o", "S.O"},
    {"S.o2", "S.O2"},
    {"N.pl", "N.pl3"},
    {"H.spc", "H"},
    {"H.t3p", "H"},
    {"P", "P.3"},
    {"S", "S.3"},
    {"Hal", "Cl"},
}};

int exact_number(std::string_view sybyl_type) {
  for (std::size_t k = 0; k + 1 < sybyl_types.size(); ++k)
    if (sybyl_types[k] == sybyl_type)
      return static_cast<int>(k) + 1;
  return 0;
}

} // namespace

TypeMatch sybyl_type_number(std::string_view sybyl_type) {
  if (const int number = exact_number(sybyl_type); number != 0)
    return {number, true, sybyl_type};
  for (const auto& [unknown, nearest] : nearest_types)
    if (unknown == sybyl_type)
      return {exact_number(nearest), false, nearest};
  return {other_type, false, sybyl_types.back()};
}

} // namespace tools
