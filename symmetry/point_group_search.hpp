// The point-group search driver getsym: from a centred molecule to its point-group label, its
// operation list and, when allowed, the molecule in the standard frame of its group.
#pragma once

#include <span>
#include <string>

#include "common/run_context.hpp"
#include "symmetry/group.hpp"
#include "symmetry/operations.hpp"
#include "symmetry/status.hpp"
#include "symmetry/thresholds.hpp"

namespace symmetry {

// Label of a search that failed before the group was named.
inline constexpr const char* unnamed_group = "????";

// The workspace blocks of one search (n atoms). Integer blocks stand in the words the workspace
// layout gives them, one word per entry.
struct SearchWorkspace {
  std::span<double> shell_positions;    // 3 x n, shell order; at the end the coordinates as they
                                        // stood before the reorientation
  std::span<double> distances;          // n, distances from the centroid, shell order
  std::span<int> shell_numbers;         // n, shell of every atom in shell order
  std::span<int> shell_sizes;           // n, size of every shell
  std::span<int> lookup_order;          // n, the shells ordered for the atom lookups
  std::span<int> lookup_axes;           // 2n, the two axes of every shell's order
  std::span<double> lookup_ranges;      // 2n, the range of every block of the order
  std::span<Axis> axes;                 // max_operations, one unit vector per element
  std::span<int> type_codes;            // max_operations, indexed like axes
  std::span<int> inverses;              // max_operations, index of every operation's inverse
  std::span<int> element_scratch;       // n match flags of the element search
  std::span<int> closure_scratch;       // n marks of the atom mapping that holds the closure
  std::span<std::string> shell_symbols; // n element symbols in shell order
};

// Finds the point group of the n centred atoms xyz with element symbols (8 characters) within
// th.thrsym. Fills label (4 characters, "????" until the group is named), ops[0 .. count - 1]
// (ops.size() is the largest allowed count) and count; ops[0] is the identity. When adjst is
// nonzero the coordinates may be rotated into the standard frame; with refit the element searches
// refit every accepted generator. Every operation found maps every atom onto a like atom within
// th.thrsym in each component; a linear molecule whose atoms stray farther from the line (or whose
// inversion misses them) is searched as a general one, and a search seeded with the molecular
// plane that fails runs again without the plane. The signals of the search whose result stands,
// and its final status, are added to signals. The warning of every search that fails is on the
// listing of run when getsym returns. Every rotation of the coordinates (onto the line of a linear
// molecule, into the standard frame) is applied to turn as well (follow_turn). Returns ok on
// success; any other status is a failure, after which the caller treats the molecule as C1.
Status getsym(common::RunContext& run, std::span<double> xyz, int n,
              std::span<const std::string> symbols, const Thresholds& th, int adjst, bool refit,
              const SearchWorkspace& ws, std::span<Operation> ops, int& count, std::string& label,
              SearchSignals& signals, Operation& turn);

} // namespace symmetry
