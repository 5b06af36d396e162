#include "symmetry/driver.hpp"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "common/reports.hpp"
#include "common/result_records.hpp"
#include "common/vectors.hpp"
#include "symmetry/deviation.hpp"
#include "symmetry/exact_group.hpp"
#include "symmetry/frame.hpp"
#include "symmetry/snap.hpp"
#include "symmetry/symmetrise.hpp"

namespace symmetry {

namespace {

constexpr int initial_adjst = 1;

void warn(common::RunContext& run, int print, std::string_view text) {
  if (print > 0)
    run.write_record(common::listing_unit, text);
}

void write_point_group(common::RunContext& run, const SymmetryResult& result) {
  run.write_record(common::stdout_unit, common::point_group_record(result.label, result.degrees));
}

void write_coordinates(common::RunContext& run, int n, std::span<const double> xyz) {
  std::string records;
  common::append_geometry_records(records, common::final_geometry_mark,
                                  xyz.first(3 * static_cast<std::size_t>(n)));
  run.write_lines(common::stdout_unit, records);
}

} // namespace

bool settle_operations(common::RunContext& run, int n, std::span<const std::string> symbols,
                       std::span<const double> centred, const Thresholds& th, int print,
                       SymmetryResult& result) {
  const auto count = static_cast<std::size_t>(result.count);
  std::array<Operation, max_operations> found;
  std::copy_n(result.ops.begin(), count, found.begin());
  snap_operations(result.ops, result.count, th.thrsym);
  if (eqvatm(n, result.xyz, symbols, result.count, result.ops, th.thrsym, result.neqatm) ==
      Status::ok)
    return true;

  // Snapping can move a valid element onto a constant it does not equal (icosahedral elements
  // lie close to cos 30): the operations as found get a second chance.
  if (eqvatm(n, result.xyz, symbols, result.count, found, th.thrsym, result.neqatm) == Status::ok) {
    std::copy_n(found.begin(), count, result.ops.begin());
    return true;
  }
  warn(run, print, mapping_fallback_warning);
  result.label = trivial_group;
  result.count = 1;
  common::cpyvec(centred, result.xyz);
  result.rotation = identity_operation;
  eqvatm(n, result.xyz, symbols, result.count, result.ops, th.thrsym, result.neqatm);
  return false;
}

void fit_operations(int n, std::span<const std::string> symbols, const Thresholds& th,
                    SymmetryResult& result) {
  std::array<Operation, max_operations> found;
  std::copy_n(result.ops.begin(), result.count, found.begin());
  if (fitgrp(result.count, result.ops, th) &&
      eqvatm(n, result.xyz, symbols, result.count, result.ops, th.thrsym, result.neqatm) !=
          Status::ok) {
    std::copy_n(found.begin(), result.count, result.ops.begin());
    eqvatm(n, result.xyz, symbols, result.count, result.ops, th.thrsym, result.neqatm);
  }
}

bool search_pass(common::RunContext& run, int n, std::span<const std::string> symbols,
                 std::span<const double> centred, const Thresholds& th, int& adjst, int print,
                 bool refit, Workspace& ws, SymmetryResult& result) {
  common::cpyvec(centred, result.xyz);
  result.rotation = identity_operation;
  const SearchWorkspace blocks = search_blocks(ws, n);
  SearchSignals signals;
  Status status = getsym(run, result.xyz, n, symbols, th, adjst, refit, blocks, result.ops,
                         result.count, result.label, signals, result.rotation);
  // A failed first search leaves "????", so it is searched again as well.
  if (result.label != trivial_group && adjst != 0) {
    adjst = 0;
    status = getsym(run, result.xyz, n, symbols, th, adjst, refit, blocks, result.ops, result.count,
                    result.label, signals, result.rotation);
  }
  result.fallback = status;
  if (status != Status::ok) {
    warn(run, print, search_fallback_warning);
    result.label = trivial_group;
    result.count = 1;
    result.ops[0] = identity_operation;
  }
  const bool mapped = settle_operations(run, n, symbols, centred, th, print, result);
  if (!mapped)
    result.fallback = Status::no_image;
  return status == Status::ok && mapped && !signals.any();
}

void symtry(common::RunContext& run, int n, std::span<const std::string> symbols,
            std::span<double> xyz, double thrsym, int& adjst, int print, Workspace& ws,
            SymmetryResult& result) {
  const Thresholds th = make_thresholds(thrsym);
  double cx = 0.0, cy = 0.0, cz = 0.0;
  cms(n, cx, cy, cz, xyz);
  result.centre = {cx, cy, cz};
  common::memchk(run, static_cast<long long>(ws.words.size()), workspace_request(n), 6, "SYMTRY");
  const std::span<const double> centred = xyz.first(3 * static_cast<std::size_t>(n));

  const int entry_adjst = adjst;
  if (!search_pass(run, n, symbols, centred, th, adjst, print, false, ws, result)) {
    // Noisy coordinates break an exact search all or nothing: search once more from the centred
    // coordinates with every accepted generator refitted to the atoms, and keep that result.
    adjst = entry_adjst;
    search_pass(run, n, symbols, centred, th, adjst, print, true, ws, result);
  }

  fit_operations(n, symbols, th, result);
  if (print > 3 && run.keeps_records())
    prntsym(run, n, result.label, result.count, result.ops, result.neqatm);
  const auto un = static_cast<std::size_t>(n);
  symvec(n, result.count, result.neqatm, result.ops,
         std::span<double>(ws.words).subspan(4 * un, 3 * un), th.symvec_zero, result.xyz);
  result.degrees = numdeg(n, result.count, result.ops, result.label, result.neqatm);
  if (run.keeps_records())
    write_point_group(run, result);
}

namespace {

// The run after the input is read, as the program makes it.
SymmetryResult run_program(common::RunContext& run, SymmetryInput& input) {
  if (input.print > 0)
    run.open_listing();
  Workspace ws = make_workspace(input.natoms);
  SymmetryResult result = make_result(input.natoms);
  int adjst = initial_adjst;
  symtry(run, input.natoms, input.symbols, input.xyz, input.thrsym, adjst, input.print, ws, result);
  if (input.print > 0)
    run.close_listing();
  if (run.keeps_records())
    write_coordinates(run, input.natoms, result.xyz);
  return result;
}

} // namespace

void run_symmetry_from_deck(common::RunContext& run, common::InputDeck& deck) {
  SymmetryInput input = read_symmetry_input(run, deck);
  run_program(run, input);
}

SymmetryResult run_symmetry_on_input(common::RunContext& run, SymmetryInput& input) {
  const std::vector<double> given = input.xyz;
  SymmetryResult result = run_program(run, input);
  result.elements_status =
      find_elements(result.count, result.ops, make_thresholds(input.thrsym), result.elements);
  result.deviation = measure_deviation(input.natoms, given, result);
  return result;
}

} // namespace symmetry
