// What a symmetry run hands back: the symmetrised molecule in the frame of its group, the group's
// label, operations, equivalent atoms and elements, the frame it stands in, and why the group fell
// back to C1 if it did.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "symmetry/elements.hpp"
#include "symmetry/operations.hpp"
#include "symmetry/status.hpp"

namespace symmetry {

inline constexpr const char* trivial_group = "c1  ";

// How well the atoms fit the group of a result, in the units of the coordinates
// (measure_deviation).
struct Deviation {
  double rms = 0.0;     // root mean square distance each atom moved in the symmetrisation
  double largest = 0.0; // the largest such distance
  // The largest distance between an operation's image of an atom and the atom it lands on: the
  // group holds on the atoms at any tolerance at least this large (a distance, not per component).
  double image = 0.0;
  // Continuous symmetry measure: 100 times the sum of the squared displacements over the sum of
  // the squared distances of the atoms from their centroid (0 for a symmetric molecule, 100 at
  // most). The frame and the atom mapping are those the search found, not minimised over again,
  // so it bounds the measure from above.
  double csm = 0.0;
  // The coordinates the group constrains: 3n less the totally symmetric Cartesian coordinates.
  // A group that holds only through noise moves the atoms by about the noise in each of them.
  int constraints = 0;
};

// What symtry hands back.
struct SymmetryResult {
  std::vector<double> xyz; // 3 x n: centred, possibly reoriented, symmetrised
  std::string label;       // 4 characters, for example "c2v "
  int count = 1;           // operations in ops
  std::array<Operation, max_operations> ops{};
  std::vector<int> neqatm; // n x max_operations equivalent-atom table (see symmetrise.hpp)
  int degrees = 0;
  // Why the group fell back to C1: the status of the failed search, or no_image when the
  // operations found did not map the atoms; ok when the group found stands.
  Status fallback = Status::ok;
  // The frame of xyz. centre is the centroid taken off the input coordinates; rotation turns the
  // centred input coordinates into the frame of xyz (the identity when the molecule was not
  // turned): atom p of the input lies at rotation (p - centre) there, within about the tolerance
  // of its symmetrised place.
  std::array<double, 3> centre{};
  Operation rotation = identity_operation;
  // One entry per distinct element of the group, in the frame of xyz (find_elements); filled by
  // run_symmetry_on_input when the result is settled.
  std::vector<SymmetryElement> elements;
  // ok, or the status of find_elements when the operations could not be classified.
  Status elements_status = Status::ok;
  // How far the symmetrisation moved the atoms as given; filled by run_symmetry_on_input.
  Deviation deviation;
};

// The fallback of a result in plain words ("point group search failed: fell back to c1 (...)"),
// empty when the group found stands.
std::string fallback_text(const SymmetryResult& result);

// A result sized for n atoms.
SymmetryResult make_result(int n);

} // namespace symmetry
