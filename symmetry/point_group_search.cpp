#include "symmetry/point_group_search.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "common/elementary_functions.hpp"
#include "common/vectors.hpp"
#include "symmetry/classify.hpp"
#include "symmetry/element_search.hpp"
#include "symmetry/frame.hpp"
#include "symmetry/linear_algebra.hpp"
#include "symmetry/naming.hpp"
#include "symmetry/orientation.hpp"
#include "symmetry/shells.hpp"
#include "symmetry/symmetrise.hpp"

namespace symmetry {

namespace {

constexpr Operation diagonal(double x, double y, double z) {
  return Operation{x, 0.0, 0.0, 0.0, y, 0.0, 0.0, 0.0, z};
}

// The fixed operations of the linear groups, in their order.
constexpr std::array<Operation, 8> centrosymmetric_line{
    diagonal(1, 1, 1),   diagonal(-1, 1, 1),  diagonal(1, -1, 1),  diagonal(1, 1, -1),
    diagonal(1, -1, -1), diagonal(-1, 1, -1), diagonal(-1, -1, 1), diagonal(-1, -1, -1)};
constexpr std::array<Operation, 4> polar_line{diagonal(1, 1, 1), diagonal(-1, 1, 1),
                                              diagonal(1, -1, 1), diagonal(-1, -1, 1)};

constexpr Operation inversion = diagonal(-1, -1, -1);

const double* atom(std::span<const double> xyz, int i) {
  return &xyz[static_cast<std::size_t>(3 * i)];
}

// Every atom above the centre plane (z > thrsym) has a like partner mirrored below it.
bool line_is_centrosymmetric(std::span<const double> xyz, int n,
                             std::span<const std::string> symbols, double thrsym) {
  for (int i = 0; i < n; ++i) {
    const double zi = atom(xyz, i)[2];
    if (!(zi > thrsym))
      continue;
    bool partner = false;
    for (int j = 0; j < n && !partner; ++j) {
      const double zj = atom(xyz, j)[2];
      partner = zj < -thrsym && std::fabs(zi + zj) < thrsym &&
                symbols[static_cast<std::size_t>(i)] == symbols[static_cast<std::size_t>(j)];
    }
    if (!partner)
      return false;
  }
  return true;
}

// Every atom lies within thrsym of the z axis.
bool on_axis(std::span<const double> xyz, int n, double thrsym) {
  for (int i = 0; i < n; ++i) {
    if (common::portable::hypot(atom(xyz, i)[0], atom(xyz, i)[1]) > thrsym)
      return false;
  }
  return true;
}

// A linear molecule: onto the z axis, with the fixed operations of its group. The line holds
// only when every atom lies within thrsym of it and, for the centrosymmetric groups, the inversion
// maps the atoms; otherwise the status is line_broken and xyz is left as it was (the molecule is
// turned in the shell-position block of the workspace first, and turn follows it only when the
// line holds).
Status linear_group(std::span<double> xyz, int n, std::span<const std::string> symbols,
                    const Thresholds& th, const double* line, const SearchWorkspace& ws,
                    std::span<Operation> ops, int& count, std::string& label, Operation& turn) {
  double e1[3];
  double e2[3];
  if (const Status status = e1e2e3(e1, e2, line, th.e1e2e3_min_length); status != Status::ok)
    return status;
  const double thrsym = th.thrsym;
  const std::span<double> turned = ws.shell_positions;
  common::cpyvec(xyz.first(3 * static_cast<std::size_t>(n)), turned);
  traxyz(turned, e1, e2, line, n);
  const bool centre = line_is_centrosymmetric(turned, n, symbols, thrsym);
  if (!on_axis(turned, n, thrsym) ||
      (centre && !permutes_atoms(inversion, n, turned, symbols, thrsym, XOrder(turned, n),
                                 ws.closure_scratch))) {
    return Status::line_broken;
  }
  common::cpyvec(turned, xyz);
  follow_turn(turn, e1, e2, line);
  const auto set = [&](const auto& fixed) {
    std::copy(fixed.begin(), fixed.end(), ops.begin());
    count = static_cast<int>(fixed.size());
  };
  if (centre) {
    label = n == 1 ? "ih  " : "d*h ";
    set(centrosymmetric_line);
  } else {
    label = "c*v ";
    set(polar_line);
  }
  for (int i = 0; i < n; ++i) {
    xyz[static_cast<std::size_t>(3 * i)] = 0.0;
    xyz[static_cast<std::size_t>(3 * i + 1)] = 0.0;
  }
  return Status::ok;
}

// Closes a generator found outside the element search into the group.
Status add_generator(const Operation& g, Group& group) {
  if (const Status status = grpgrp(g, group); status != Status::ok)
    return status;
  group.order = std::max(group.order, group.count);
  return Status::ok;
}

// Every atom has a like partner at the opposite position (itself when at the centre).
bool has_centre(std::span<const double> xyz, int n, std::span<const std::string> symbols,
                double thrsym) {
  for (int i = 0; i < n; ++i) {
    const double* xi = atom(xyz, i);
    bool partner = false;
    for (int j = 0; j < n && !partner; ++j) {
      const double* xj = atom(xyz, j);
      partner = symbols[static_cast<std::size_t>(i)] == symbols[static_cast<std::size_t>(j)] &&
                std::fabs(xi[0] + xj[0]) < thrsym && std::fabs(xi[1] + xj[1]) < thrsym &&
                std::fabs(xi[2] + xj[2]) < thrsym;
    }
    if (!partner)
      return false;
  }
  return true;
}

// The rotation of the given order about axis (sigma -1: followed by the reflection through the
// plane perpendicular to it) carries the atoms onto like atoms.
bool turn_maps_atoms(const Axis& axis, int order, double sigma, const MappedAtoms& atoms,
                     double e1e2e3_min_length) {
  double e1[3];
  double e2[3];
  if (e1e2e3(e1, e2, axis.data(), e1e2e3_min_length) != Status::ok)
    return false;
  Operation r;
  gencn(e1, e2, axis.data(), 2.0 * pi / order, sigma, r);
  return permutes_atoms(r, atoms.natoms, atoms.positions, atoms.symbols, atoms.tolerance,
                        atoms.by_x, atoms.scratch);
}

// The principal axes the label will name hold on the atoms. Noise can leave an operation whose
// powers return to the identity within the group tolerance only after many turns; its order then
// names an axis the molecule does not have.
bool principal_axes_hold(const Group& group, std::span<const Axis> axes, const Principal& principal,
                         double e1e2e3_min_length) {
  if (principal.proper_code > 1 &&
      !turn_maps_atoms(axes[static_cast<std::size_t>(principal.proper_index - 1)],
                       principal.proper_code, 1.0, group.atoms, e1e2e3_min_length)) {
    return false;
  }
  // An improper order of 2 stands for the inversion and mirror planes, which the closure holds.
  return principal.improper_order <= 2 ||
         turn_maps_atoms(axes[static_cast<std::size_t>(principal.improper_index - 1)],
                         principal.improper_order, -1.0, group.atoms, e1e2e3_min_length);
}

// The element searches, inverses, classification and naming on the seeded group. An operation of
// no order collapses the group and the search goes on (noted in group.signals, its warnings
// written by analys); a missing reference three-fold axis leaves the icosahedral group named,
// with its warning.
Status find_and_name(common::RunContext& run, std::span<const double> xyz, int n,
                     std::span<const std::string> symbols, const Thresholds& th, bool refit,
                     const SearchWorkspace& ws, Group& group, References& refs,
                     std::string& label) {
  if (const Status status = getdis(xyz, ws.distances, n); status != Status::ok)
    return status;
  const int nshell = rshell(xyz, symbols, n, th.shell,
                            ShellOutput{ws.shell_positions, ws.shell_symbols, ws.distances,
                                        ws.shell_numbers, ws.shell_sizes});
  const int centre_atom = ionc(ws.distances, n, th.centre_distance);
  if (has_centre(xyz, n, symbols, th.thrsym)) {
    if (const Status status = add_generator(inversion, group); status != Status::ok)
      return status;
  }
  ShellAtoms atoms{ws.shell_positions, ws.distances, ws.shell_numbers, ws.shell_sizes, n, nshell};
  atoms.lookup = order_shells(atoms, ws.lookup_order, ws.lookup_axes, ws.lookup_ranges);
  const AxisSlots slots{ws.axes, ws.type_codes};
  int found = 0;
  if (const Status status =
          cnsrch(run, atoms, group, slots, ws.element_scratch, centre_atom, th, refit, found);
      status != Status::ok) {
    return status;
  }
  if (const Status status = cssrch(run, atoms, group, slots, ws.element_scratch, th, refit, found);
      status != Status::ok) {
    return status;
  }
  if (const Status status = syminv(group, ws.inverses); status != Status::ok)
    return status;
  std::fill(ws.type_codes.begin(), ws.type_codes.begin() + group.count, 0);
  Principal principal;
  const Status classified = analys(run, group, ws.inverses, ws.axes, ws.type_codes, principal, th);
  if (classified == Status::no_order)
    group.signals.note(classified);
  else if (classified != Status::ok)
    return classified;
  if (!principal_axes_hold(group, ws.axes, principal, th.e1e2e3_min_length))
    return Status::wrong_principal;
  const Status named = ggroup(ws.axes, ws.type_codes, group.count, principal, th, refs, label);
  if (failed(named))
    return named;
  report(run, named);
  return Status::ok;
}

// One search of a molecule that is not linear, from a group seeded with the mirror plane of unit
// normal `plane` (none when null) to the named group and, with adjst, the standard frame (turn
// follows the molecule into it). Every operation of the group maps the atoms onto like atoms
// within thrsym.
Status search_group(common::RunContext& run, std::span<double> xyz, int n,
                    std::span<const std::string> symbols, const Thresholds& th, int adjst,
                    bool refit, const SearchWorkspace& ws, const double* plane, Group& group,
                    std::string& label, Operation& turn) {
  label = unnamed_group;
  group = make_group(th);
  group.atoms = MappedAtoms{n, xyz, symbols, th.thrsym, ws.closure_scratch, XOrder(xyz, n)};
  if (plane != nullptr) {
    Operation mirror;
    gencs(plane, mirror);
    if (const Status status = add_generator(mirror, group); status != Status::ok)
      return status;
  }
  References refs;
  if (const Status status = find_and_name(run, xyz, n, symbols, th, refit, ws, group, refs, label);
      status != Status::ok) {
    return status;
  }
  common::cpyvec(xyz.first(3 * static_cast<std::size_t>(n)), ws.shell_positions);
  if (adjst != 0 && group.count > 1)
    return adjust1(group, ws.axes, xyz, n, refs, th, turn);
  return Status::ok;
}

} // namespace

Status getsym(common::RunContext& run, std::span<double> xyz, int n,
              std::span<const std::string> symbols, const Thresholds& th, int adjst, bool refit,
              const SearchWorkspace& ws, std::span<Operation> ops, int& count, std::string& label,
              SearchSignals& signals, Operation& turn) {
  label = unnamed_group;
  count = 1;
  ops[0] = identity_operation;

  double line[3];
  double normal[3];
  double line_dev = 0.0;
  double plane_dev = 0.0;
  report(run, lipl(xyz, n, line, normal, line_dev, plane_dev, th.lipl_eps));
  if (th.thrsym > line_dev) {
    const Status status = linear_group(xyz, n, symbols, th, line, ws, ops, count, label, turn);
    if (status != Status::line_broken) {
      report(run, status);
      return status;
    }
  }
  // A small sum of squares does not make the plane a mirror of every atom: when the search from
  // the plane fails, it runs again without it.
  const bool planar = th.thrsym > plane_dev;
  Group group;
  Status status = search_group(run, xyz, n, symbols, th, adjst, refit, ws,
                               planar ? normal : nullptr, group, label, turn);
  report(run, status);
  if (status != Status::ok && planar) {
    status = search_group(run, xyz, n, symbols, th, adjst, refit, ws, nullptr, group, label, turn);
    report(run, status);
  }
  signals |= group.signals;
  signals.note(status);
  count = group.count;
  std::copy_n(group.ops.begin(), group.count, ops.begin());
  return status;
}

} // namespace symmetry
