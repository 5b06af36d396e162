// One prepared molecule through kelma and symmetry in this process, on run contexts in memory:
// the same status lines a molecule folder's step gives, the result molecule with its figures as
// SDF data fields, and, when asked, the programs' records and listings.
#pragma once

#include <string>
#include <vector>

#include "tools/batch/batch.hpp"
#include "tools/core/status.hpp"
#include "tools/formats/sources.hpp"

namespace tools {

// What runs, as a batch's Programs says, without the executables.
struct InProcessRun {
  bool run_kelma = true;
  bool run_symmetry = true;
  SymmetryGeometry symmetry_geometry = SymmetryGeometry::final;
  bool keep_records = false;     // the programs' records and listings, gzipped
  bool keep_symmetrised = false; // the symmetrised molecule
};

struct MoleculeRun {
  std::vector<StatusLine> lines; // molecule column empty: the batch names the molecule
  std::string sdf;               // the result molecule, "$$$$" included; empty when none
  std::string records;           // the programs' outputs and listings as one gzip member, when kept
  std::string symmetrised; // the symmetrised molecule in its group's frame ("$$$$" included), when
                           // kept and symmetry named a group
};

// What a worker hands back for each molecule of an input.
struct MoleculeAnswer {
  PreparedMolecule
      prepared; // name, origin, notes and error; the input and template stay in the worker
  MoleculeRun run;
};

// Runs the programs on a molecule that was prepared (its error empty).
MoleculeRun run_molecule(const PreparedMolecule& molecule, const InProcessRun& how);

// The status line of a molecule the preparation skipped.
StatusLine skipped_line(const PreparedMolecule& molecule);

} // namespace tools
