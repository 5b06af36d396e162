// A molecule as the tools hand it to the keyword-input writer: atoms with coordinates, element
// label and force-field type, and the bonds with their bond codes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/keyword_input.hpp"
#include "tools/core/vec3.hpp"

namespace tools {

struct Atom {
  std::string element;    // "C", "Cl", ...
  std::string sybyl_type; // "C.ar"
  int ff_type = 0;        // force-field type number 1-32
  Vec3 xyz{};             // Angstrom
};

struct Bond {
  int i = 0; // 1-based atom numbers
  int j = 0;
  int code = 0; // 1 single, 2 double, 3 triple, 4 amide, 5 aromatic
};

struct Molecule {
  std::string name;
  std::vector<Atom> atoms;
  std::vector<Bond> bonds;
  std::string start; // how the coordinates were built, when the tools built them
};

// Why n atoms are more or fewer than the programs take ("n atoms, the programs take 1 to 500",
// with what after "atoms"); empty when they take them.
std::string atom_count_damage(int n, std::string_view what);
// ToolError with that reason.
void check_atom_count(int n, std::string_view what);

// ToolError when the molecule cannot be run as it stands: an atom count outside 1 to 500 or a
// coordinate too wide for the atom lines.
void check_molecule(const Molecule& molecule);

} // namespace tools
