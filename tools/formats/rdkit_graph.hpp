// The handover of a molecule from Open Babel to RDKit for the 3D build: the same atoms in the
// same order (hydrogens as atoms of their own), the same bonds with their orders, the formal
// charges, and the stereochemistry Open Babel holds as given (tetrahedral centres, double bonds).
// Only coordinates come back, by atom number, so Open Babel's perception stays the one the
// force field sees.
#pragma once

#include <memory>

namespace OpenBabel {
class OBMol;
}
namespace RDKit {
class RWMol;
}

namespace tools {

// RDKit's graph of mol; ToolError when RDKit cannot make sense of it (rings it cannot perceive,
// an atom of no element).
std::unique_ptr<RDKit::RWMol> rdkit_graph(OpenBabel::OBMol& mol);

} // namespace tools
