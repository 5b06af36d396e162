// 3D coordinates for a molecule that has none (SMILES, a 2D drawing): RDKit's distance geometry
// with experimental torsion preferences (ETKDG version 3) from a fixed random seed, so that the
// same molecule always gets the same start, whatever else runs and wherever. The build runs in a
// child process under a time limit, so that a molecule on which it stalls costs only itself.
#pragma once

#include <string>

namespace OpenBabel {
class OBMol;
}

namespace tools {

// Long enough for nearly every molecule the programs take (a few tens of milliseconds is usual),
// short enough that a stalled build does not hold up a batch; bench/README.md has the figures.
inline constexpr int default_build_seconds = 5;
inline constexpr int default_build_seed = 42;

struct BuildSettings {
  int seed = default_build_seed;
  int time_limit_seconds = default_build_seconds;
};

// What the coordinates were built by, enough to build them again: "RDKit 2022.09.3 ETKDGv3,
// seed 42" (", from random coordinates" when the usual start failed and the second way was
// taken).
struct BuildRecipe {
  int seed = 0;
  bool random_start = false;
  std::string text() const;
};

// Gives mol 3D coordinates (atom order, hydrogens and bonds unchanged) and says how.
// ToolError when RDKit cannot take the molecule, cannot embed it, or takes longer than the limit.
BuildRecipe build_coordinates(OpenBabel::OBMol& mol, const BuildSettings& settings);

} // namespace tools
