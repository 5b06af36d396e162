// The symmetry elements of a molecule for drawing: symmetry's own search run in memory on a
// geometry, its operations reduced to rotation axes, mirror planes and the inversion centre.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/core/vec3.hpp"

namespace tools {

struct RotationAxis {
  Vec3 direction; // unit vector; the axis passes through the centre
  int order = 0;  // the highest proper rotation about it
};

struct SymmetryElements {
  std::string group;           // the point-group label, trimmed ("d6h")
  std::vector<Vec3> positions; // centred, in the standard frame of the group, symmetrised
  std::vector<RotationAxis> axes;
  std::vector<Vec3> plane_normals;
  bool inversion = false; // the centre, at the origin of positions
};

// The elements of the molecule that the keyword input describes (its element labels and $thrsym),
// found on geometry (one point per atom; empty: the input's own coordinates). ToolError when the
// input cannot be read or the atom counts differ. The programs' channels are silenced meanwhile,
// so that no listing file appears.
SymmetryElements find_symmetry_elements(std::string_view input, std::span<const Vec3> geometry);

// The same for atoms given without a keyword input: their element symbols and positions, searched
// within the tolerance thrsym (Angstrom). ToolError for what symmetry's input would refuse (no
// atoms or more than it takes, like atoms closer than twice thrsym) and when the lists differ.
SymmetryElements find_symmetry_elements(std::span<const std::string> symbols,
                                        std::span<const Vec3> positions, double thrsym);

} // namespace tools
