#include "tools/atom_types.hpp"

#include <array>
#include <cctype>
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

// Element-only types: the plain (sp3) type of each element.
constexpr std::array<std::pair<std::string_view, std::string_view>, 15> element_types = {{
    {"C", "C.3"},
    {"N", "N.3"},
    {"O", "O.3"},
    {"S", "S.3"},
    {"P", "P.3"},
    {"H", "H"},
    {"Br", "Br"},
    {"Cl", "Cl"},
    {"F", "F"},
    {"I", "I"},
    {"Na", "Na"},
    {"K", "K"},
    {"Ca", "Ca"},
    {"Li", "Li"},
    {"Al", "Al"},
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

int element_type_number(std::string_view element) {
  for (const auto& [symbol, type] : element_types)
    if (symbol == element)
      return exact_number(type);
  return other_type;
}

std::string element_of_sybyl(std::string_view sybyl_type) {
  return normalise_element(sybyl_type.substr(0, sybyl_type.find('.')));
}

std::string normalise_element(std::string_view symbol) {
  std::string out;
  for (std::size_t k = 0; k < symbol.size(); ++k) {
    const auto c = static_cast<unsigned char>(symbol[k]);
    out += static_cast<char>(k == 0 ? std::toupper(c) : std::tolower(c));
  }
  // LP (lone pair) is written in capitals by convention.
  return out == "Lp" ? "LP" : out;
}

std::optional<int> bond_code(std::string_view mol2_bond_type) {
  constexpr std::array<std::string_view, 5> codes = {"1", "2", "3", "am", "ar"};
  for (std::size_t k = 0; k < codes.size(); ++k)
    if (codes[k] == mol2_bond_type)
      return static_cast<int>(k) + 1;
  return std::nullopt;
}

} // namespace tools
