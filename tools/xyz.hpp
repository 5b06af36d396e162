// XYZ files: frames of an atom-count line, a comment line (the molecule's name) and one
// "element x y z" line per atom. They carry no types and no bonds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/molecule.hpp"

namespace tools {

// One frame: the molecule, or the reason it cannot be read.
struct XyzFrame {
  int first_line = 0;
  Molecule molecule; // types from the element only, no bonds
  std::string error; // empty when the frame was read
};

// The frames of an XYZ text. A damaged frame is reported in its entry; reading goes on at the
// frame its count line promises next, and stops when no count line can be found.
std::vector<XyzFrame> read_xyz(std::string_view text);

// One frame with the given name, elements and coordinates (10 decimals).
std::string xyz_text(std::string_view name, const std::vector<std::string>& elements,
                     const std::vector<Vec3>& xyz);

} // namespace tools
