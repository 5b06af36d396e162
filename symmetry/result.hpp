// What a symmetry run hands back: the symmetrised molecule in the frame of its group, the group's
// label, operations and equivalent atoms, and why the group fell back to C1 if it did.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "symmetry/operations.hpp"
#include "symmetry/status.hpp"

namespace symmetry {

inline constexpr const char* trivial_group = "c1  ";

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
};

// The fallback of a result in plain words ("point group search failed: fell back to c1 (...)"),
// empty when the group found stands.
std::string fallback_text(const SymmetryResult& result);

// A result sized for n atoms.
SymmetryResult make_result(int n);

} // namespace symmetry
