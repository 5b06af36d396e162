// Parameter coverage: the bonds, bends and torsions of a molecule that the force field has no
// parameter of its own for, found with kelma's own look-ups. Such a bond or bend is held at its
// input length or angle; a hydrogen bond without a row takes the generic X-H row (1.008 A); a
// torsion without a row takes the default barrier (0.2 kcal/mol, threefold).
#pragma once

#include <string>
#include <vector>

#include "tools/core/molecule.hpp"

namespace tools {

// Each list holds one entry per term, named by the Sybyl types of its atoms ("C.2-O.co2").
struct Coverage {
  std::vector<std::string> frozen_bonds;
  std::vector<std::string> generic_hydrogen_bonds;
  std::vector<std::string> frozen_bends;
  std::vector<std::string> default_torsions;

  bool complete() const;
  // One line for standard error ("3 bonds have no parameter and are held at their input length:
  // C.2-O.co2 x2, P.3-S.2; ..."); empty when complete.
  std::string summary() const;
  // The status.tsv column: "none", or the counts ("bonds 3, torsions 1").
  std::string column() const;
};

Coverage parameter_coverage(const Molecule& molecule);

} // namespace tools
