// The kelma main routine: reads the keyword input, sizes the workspace and runs the optimiser.
#pragma once

#include <istream>
#include <span>
#include <string>
#include <vector>

#include "common/keyword_input.hpp"

namespace kelma {

// Everything the keyword input gives a kelma run, in reading order.
struct KelmaInput {
  int natoms = 0;
  std::string fftype;
  int fftype_length = 0;
  int jobtype = 0;
  double vdwc = 0.0;
  int print = 0;
  double gtol = 0.0;
  double etol = 0.0;
  int nsteps = 0;
  std::vector<double> xyz; // 3 x natoms, Angstrom
  std::vector<int> itype;  // natoms force-field types
  std::vector<int> conn;   // natoms x natoms bond codes, column by column
};

// Input errors for a negative $jobtype and for a force-field type above the table.
void check_jobtype(int jobtype);
void check_types(std::span<const int> itype);

// Reads the eight keywords, the atom lines and the connectivity, rejecting what cannot be used.
KelmaInput read_kelma_input(common::InputDeck& deck);

// One whole run on the keyword input in. The listing is opened as "debug" before the input is
// read, so that a numbered report of the input goes there too.
void run_kelma(std::istream& in);

// The run after the input is read: checks the geometry, sizes the workspace and optimises;
// in.xyz ends as the converged geometry (the cycle limit leaves it as the optimiser stopped).
// The listing goes where the caller has put it; at print > 0 it is closed at the end.
void run_kelma(KelmaInput& in);

} // namespace kelma
