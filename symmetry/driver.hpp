// The symmetry main program and its driver symtry: read the molecule, find its point group, map
// and symmetrise the atoms, count the symmetric degrees of freedom and write the results.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/keyword_input.hpp"
#include "common/run_context.hpp"
#include "symmetry/operations.hpp"
#include "symmetry/point_group_search.hpp"
#include "symmetry/thresholds.hpp"

namespace symmetry {

// The banner of symmetry's numbered reports and of their STOP line.
inline constexpr std::string_view termination_banner = "*** SYMMETRY Error Termination ***";

inline constexpr const char* trivial_group = "c1  ";

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

// Input error unless thrsym is below half the distance of the closest like pair (no bound without
// one): like atoms closer than twice the tolerance cannot be told apart by the matching, so any
// group found then would not be a group of the atoms.
void check_thrsym_spacing(double thrsym, int n, std::span<const double> xyz,
                          std::span<const std::string> symbols);

// Reads $natoms, $thrsym, $print and the atom lines, rejecting an atom count outside 1 .. 500,
// a tolerance that is not a positive finite number, and one that the atoms' spacing does not allow
// (check_thrsym_spacing). A missing keyword is reported on the listing of run.
SymmetryInput read_symmetry_input(common::RunContext& run, common::InputDeck& deck);

// The scratch workspace: 9n + 840 words. The integer blocks of the layout (shell numbers and
// sizes, type codes, inverses, match flags) sit at their word positions in a parallel integer
// plane, the axis list in a list of directions of its own; the shell-ordered symbols and the
// ordering of the shells for the atom lookups are scratch of the search as well.
struct Workspace {
  std::vector<double> words;
  std::vector<int> integer_words;
  std::vector<Axis> axes;
  std::vector<std::string> shell_symbols;
  std::vector<int> lookup_order;     // n
  std::vector<int> lookup_axes;      // 2n
  std::vector<double> lookup_ranges; // 2n
};

// Words symtry asks for with n atoms.
long long workspace_request(int n);

// A cleared workspace of workspace_request(n) words.
Workspace make_workspace(int n);

// The blocks of the workspace that the point-group search fills.
SearchWorkspace search_blocks(Workspace& ws, int n);

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

// Snaps the result's operations and maps the atoms of result.xyz. When the snapped list fails to
// map them, the list as the search found it is tried; when that fails too, the group falls back
// to C1 with the centred coordinates (and a warning on the listing of run at print > 0) and the
// result is false. The list that mapped the atoms stays in result.
bool settle_operations(common::RunContext& run, int n, std::span<const std::string> symbols,
                       std::span<const double> centred, const Thresholds& th, int print,
                       SymmetryResult& result);

// Fits the result's operations to an exact group (fitgrp) and maps the atoms again; when the
// fitted operations fail to map them, the operations and the mapping stay as they were.
void fit_operations(int n, std::span<const std::string> symbols, const Thresholds& th,
                    SymmetryResult& result);

// One search pass on the centred coordinates: getsym (with refitted generators when refit is set),
// repeated when it named a group and adjst allowed the reorientation (adjst is then cleared), the
// C1 fallback on failure, snapping and the atom mapping. False when anything failed on the way,
// including the failures the fallbacks hide (the signals of getsym).
bool search_pass(common::RunContext& run, int n, std::span<const std::string> symbols,
                 std::span<const double> centred, const Thresholds& th, int& adjst, int print,
                 bool refit, Workspace& ws, SymmetryResult& result);

// The driver: builds the thresholds from thrsym, centres xyz in place and runs a search pass; when
// that pass failed anywhere, a second pass with refitted generators replaces its result (its
// warnings stay on the listing). Then fits noisy operations to an exact group, lists the group at
// print > 3, symmetrises, counts the degrees of freedom and writes the point-group record, all on
// the units of run.
void symtry(common::RunContext& run, int n, std::span<const std::string> symbols,
            std::span<double> xyz, double thrsym, int& adjst, int print, Workspace& ws,
            SymmetryResult& result);

// One whole run on the keyword input that deck reads; everything it writes goes to the units of
// run.
void run_symmetry(common::RunContext& run, common::InputDeck& deck);

// The run after the input is read, records written as by the program; input.xyz ends centred.
SymmetryResult run_symmetry(common::RunContext& run, SymmetryInput& input);

} // namespace symmetry
