// The atoms of the records of an SDF file, read without a chemistry library: each record's title
// and the element and position of its atoms, from a V2000 or a V3000 connection table (Open Babel,
// which writes the shards of a streamed batch, turns to V3000 beyond 999 atoms). That is all a
// report draws; bonds, charges and data fields are passed over.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/core/vec3.hpp"

namespace tools {

struct SdfAtoms {
  std::string title;
  std::vector<std::string> symbols; // element symbols as the record gives them ("C", "Cl")
  std::vector<Vec3> positions;      // Angstrom
  std::string error;                // why the atoms could not be read; empty when they were
};

// The records of text in order; a record ends at a "$$$$" line (the last one may lack it).
std::vector<SdfAtoms> read_sdf_atoms(std::string_view text);

} // namespace tools
