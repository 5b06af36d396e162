// Statuses of the symmetry routines and the warnings the listing shows for them.
//
// A routine that finds a problem returns its status and writes nothing. The routine that acts on
// a status writes its warning with report: one that carries on past it, drops a candidate for it,
// or ends a search with it (getsym, for every search it runs). A routine that only returns a
// status it received leaves that to its caller, so that every warning is written once, in the
// order the problems arose.
#pragma once

#include <string_view>

#include "common/run_context.hpp"

namespace symmetry {

// Heading of every warning of the symmetry routines.
inline constexpr const char* warning_heading = "**WARNING** in SYMMETRY module";

// The warnings of the fallback to C1 (written at print above 0): after a failed search, and after
// operations that do not map the atoms.
inline constexpr std::string_view search_fallback_warning =
    "**WARNING** Error determining Point Group - Switching off Symmetry";
inline constexpr std::string_view mapping_fallback_warning =
    "**WARNING** Error determining Equivalent Atoms - Switching off Symmetry";

// How a fallback to C1 is told in plain words, before its cause.
inline constexpr std::string_view fallback_words = "point group search failed: fell back to c1";

enum class Status {
  ok,
  zero_matrix,            // erduw: the matrix is zero, so diagonal already (a warning only)
  no_convergence,         // erduw: still rotating after the last sweep
  too_short,              // anorm: no direction to normalise
  no_perpendicular,       // e1e2e3: no coordinate axis completes a frame around the axis
  no_atoms,               // getdis: no atoms
  closure_overflow,       // grpgrp: the group would exceed max_operations
  closure_wrong_image,    // grpgrp: a new operation carries an atom onto no like atom
  no_inverse,             // syminv: an operation without inverse
  no_order,               // analys: an operation without an order below 100
  no_unit_eigenvalue,     // ihgen
  no_pair,                // cnsrch: no pair of like atoms to propose an axis
  coincident_atoms,       // cnsrch: two atoms of one shell on top of each other
  empty_shell,            // cssrch: a shell without atoms
  wrong_principal,        // the principal axis the label would name does not map the atoms
  line_broken,            // a nearly linear molecule is not linear within thrsym
  unknown_group,          // ggroup: no naming rule fits the operations
  missing_c3_axis_ih,     // ggroup: no reference three-fold axis for Ih (a warning only)
  missing_c3_axis_i,      // ggroup: the same for I (a warning only)
  missing_c2_axis_th,     // ggroup: no two-fold axis for the z axis of Th
  missing_c2_axis_t,      // ggroup: the same for T
  conflicting_references, // adjust1: a bisector and an in-plane reference at once
  degenerate_reference,   // adjust1: the reference axis has no part perpendicular to z
  no_image,               // eqvatm: an image on no like atom, or images that are no permutation
};

// The warning the listing shows for s (with its leading blanks); empty when it shows none.
std::string_view status_text(Status s);

// False for the statuses that only warn: the result they come with stands.
bool failed(Status s);

// What went wrong, in plain words for the user ("two like atoms lie too close together to give a
// direction, ..."); empty for ok.
std::string_view failure_text(Status s);

// Writes the warning of s on the listing of run (the heading, then the text), when s has one and
// the units of run keep records.
void report(common::RunContext& run, Status s);

} // namespace symmetry
