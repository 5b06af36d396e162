// What a molecule needs before the force field can take it, done by Open Babel: bonds and
// bond orders perceived from the coordinates when the file has none, the hydrogens its valences
// call for, Sybyl atom types and the bond codes 1 single, 2 double, 3 triple, 4 amide,
// 5 aromatic; and 3D coordinates when it has none, built by RDKit (coordinates_build). Whatever
// was guessed or added is noted.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/core/molecule.hpp"
#include "tools/formats/coordinates_build.hpp"

namespace OpenBabel {
class OBMol;
}

namespace tools {

// What was guessed, added or complained about on the way to the force field: one line each for
// standard error and a short tag each ("bonds perceived") for the status column.
struct Notes {
  std::vector<std::string> lines;
  std::vector<std::string> tags; // each once, in the order they first came

  void add(std::string_view tag, std::string line);
  // The tags joined by ", ", or "none".
  std::string column() const;
};

struct PerceptionOptions {
  std::optional<bool> add_hydrogens; // unset: added only to molecules without coordinates
  bool retype = false;               // type the atoms afresh even when the file gave types
  BuildSettings build;               // for molecules without 3D coordinates
};

// Completes mol as above and returns it as the tools' molecule; mol keeps the completed form
// (the template of the results). Types the file wrote (MOL2) are kept unless options.retype.
// ToolError when hydrogens are missing and not to be added, or 3D coordinates cannot be built,
// or the built ones break the stereochemistry the input gave.
Molecule perceive(OpenBabel::OBMol& mol, const PerceptionOptions& options, Notes& notes);

} // namespace tools
