// The symmetry keyword input: $natoms, $thrsym, $print and the atom lines, read in order and
// checked for what the search cannot use.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "common/keyword_input.hpp"
#include "common/run_context.hpp"

namespace symmetry {

// Everything the keyword input gives a symmetry run, in reading order.
struct SymmetryInput {
  int natoms = 0;
  double thrsym = 0.0;
  int print = 0;
  std::vector<double> xyz;          // 3 x natoms, as read
  std::vector<std::string> symbols; // natoms element symbols, 8 characters
};

// Input error unless thrsym is a positive finite number.
void check_thrsym(double thrsym);

// Two atoms (1-based) with the same element label and their distance; first is 0 for none.
struct LikePair {
  int first = 0;
  int second = 0;
  double distance = 0.0;
};

// The closest two atoms with the same element label, leaving out atoms at one point (distance 0);
// on a tie the pair that comes first (by the first atom, then the second).
LikePair closest_like_pair(int n, std::span<const double> xyz,
                           std::span<const std::string> symbols);

// 0.5: a tolerance must stay below this share of the distance of the closest like pair.
inline constexpr double spacing_factor = 0.5;

// thrsym lies below half the distance of the closest like pair, or there is no such pair.
bool spacing_allows(double thrsym, const LikePair& pair);

// Input error unless thrsym is below half the distance of the closest like pair (no bound without
// one): like atoms closer than twice the tolerance cannot be told apart by the matching, so any
// group found then would not be a group of the atoms.
void check_thrsym_spacing(double thrsym, int n, std::span<const double> xyz,
                          std::span<const std::string> symbols);

// Reads $natoms, $thrsym, $print and the atom lines, rejecting an atom count outside 1 .. 500,
// a tolerance that is not a positive finite number, and one that the atoms' spacing does not allow
// (check_thrsym_spacing). A missing keyword is reported on the listing of run.
SymmetryInput read_symmetry_input(common::RunContext& run, common::InputDeck& deck);

} // namespace symmetry
