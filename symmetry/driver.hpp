// The symmetry main program and its driver symtry: read the molecule, find its point group, map
// and symmetrise the atoms, count the symmetric degrees of freedom and write the results.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "common/keyword_input.hpp"
#include "common/run_context.hpp"
#include "symmetry/input.hpp"
#include "symmetry/result.hpp"
#include "symmetry/thresholds.hpp"
#include "symmetry/workspace.hpp"

namespace symmetry {

// The banner of symmetry's numbered reports and of their STOP line.
inline constexpr std::string_view termination_banner = "*** SYMMETRY Error Termination ***";

// Snaps the result's operations and maps the atoms of result.xyz. When the snapped list fails to
// map them, the list as the search found it is tried; when that fails too, the group falls back
// to C1 with the centred coordinates (unturned: result.rotation becomes the identity; a warning on
// the listing of run at print > 0) and the result is false. The list that mapped the atoms stays in
// result.
bool settle_operations(common::RunContext& run, int n, std::span<const std::string> symbols,
                       std::span<const double> centred, const Thresholds& th, int print,
                       SymmetryResult& result);

// Fits the result's operations to an exact group (fitgrp) and maps the atoms again; when the
// fitted operations fail to map them, the operations and the mapping stay as they were.
void fit_operations(int n, std::span<const std::string> symbols, const Thresholds& th,
                    SymmetryResult& result);

// One search pass on the centred coordinates: getsym (with refitted generators when refit is set),
// repeated when it named a group and adjst allowed the reorientation (adjst is then cleared), the
// C1 fallback on failure, snapping and the atom mapping. result.rotation follows every turn of
// result.xyz from the centred coordinates. False when anything failed on the way, including the
// failures the fallbacks hide (the signals of getsym).
bool search_pass(common::RunContext& run, int n, std::span<const std::string> symbols,
                 std::span<const double> centred, const Thresholds& th, int& adjst, int print,
                 bool refit, Workspace& ws, SymmetryResult& result);

// The driver: builds the thresholds from thrsym, centres xyz in place (the centroid goes to
// result.centre) and runs a search pass; when that pass failed anywhere, a second pass with
// refitted generators replaces its result (its warnings stay on the listing). Then fits noisy
// operations to an exact group, lists the group at print > 3, symmetrises, counts the degrees of
// freedom and writes the point-group record, all on the units of run. A run whose units keep no
// records formats neither listing nor record.
void symtry(common::RunContext& run, int n, std::span<const std::string> symbols,
            std::span<double> xyz, double thrsym, int& adjst, int print, Workspace& ws,
            SymmetryResult& result);

// One whole run on the keyword input that deck reads, as the program makes it: everything it
// writes goes to the units of run, and nothing is kept beyond the records.
void run_symmetry_from_deck(common::RunContext& run, common::InputDeck& deck);

// The run after the input is read, records written as by the program; input.xyz ends centred.
// The result comes with the elements of its group (find_elements) and its deviation from the
// atoms as given (measure_deviation), which add no record.
SymmetryResult run_symmetry_on_input(common::RunContext& run, SymmetryInput& input);

} // namespace symmetry
