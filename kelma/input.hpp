// The kelma keyword input: the eight keywords, the atom lines and the connectivity, read in order
// and checked for what the force field cannot use.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "common/keyword_input.hpp"

namespace kelma {

// Everything the keyword input gives a kelma run, in reading order.
struct KelmaInput {
  int natoms = 0;          // $natoms, 1 to max_atoms
  std::string fftype;      // $fftype: the force field's name, read but not used
  int fftype_length = 0;   // its non-blank characters
  int jobtype = 0;         // $jobtype: 1 starts from the Hessian, other values from the unit matrix
  double vdwc = 0.0;       // $vdwc: van der Waals cut-off, Angstrom
  int print = 0;           // $print: the listing level
  double gtol = 0.0;       // $gtol: convergence threshold on the RMS force, hartree/bohr
  double etol = 0.0;       // $etol: convergence threshold on the energy decrease per cycle, hartree
  int nsteps = 0;          // $nsteps: the largest cycle number
  std::vector<double> xyz; // 3 x natoms, Angstrom
  std::vector<int> itype;  // natoms force-field types
  std::vector<int> conn;   // natoms x natoms bond codes, column by column
};

// Input errors for a negative $jobtype and for a force-field type above the table.
void check_jobtype(int jobtype);
void check_types(std::span<const int> itype);

// Rejects (input-layer diagnostic) a geometry with two atoms closer than min_distance, where the
// force field cannot give meaningful values.
void check_geometry(int natoms, std::span<const double> xyz);

// Reads the eight keywords, the atom lines and the connectivity, rejecting what cannot be used;
// a missing keyword is reported on the listing of run.
KelmaInput read_kelma_input(common::RunContext& run, common::InputDeck& deck);

} // namespace kelma
