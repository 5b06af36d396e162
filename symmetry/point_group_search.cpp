#include "symmetry/point_group_search.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "common/vectors.hpp"
#include "symmetry/classify.hpp"
#include "symmetry/element_search.hpp"
#include "symmetry/frame.hpp"

namespace symmetry {

namespace {

constexpr int unnamed_order_status = -1;

// Shells collect like atoms whose centre distances differ by less than half the tolerance.
constexpr double shell_tolerance_factor = 0.5;

constexpr Operation diagonal(double x, double y, double z) {
  return Operation{x, 0.0, 0.0, 0.0, y, 0.0, 0.0, 0.0, z};
}

// The fixed operations of the linear groups, in their order.
constexpr std::array<Operation, 8> centrosymmetric_line{
    diagonal(1, 1, 1),   diagonal(-1, 1, 1),  diagonal(1, -1, 1),  diagonal(1, 1, -1),
    diagonal(1, -1, -1), diagonal(-1, 1, -1), diagonal(-1, -1, 1), diagonal(-1, -1, -1)};
constexpr std::array<Operation, 4> polar_line{diagonal(1, 1, 1), diagonal(-1, 1, 1),
                                              diagonal(1, -1, 1), diagonal(-1, -1, 1)};

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

// A linear molecule: onto the z axis, with the fixed operations of its group.
int linear_group(std::span<double> xyz, int n, std::span<const std::string> symbols, double thrsym,
                 const double* line, std::span<Operation> ops, int& count, std::string& label) {
  double e1[3];
  double e2[3];
  if (const int status = e1e2e3(e1, e2, line); status != 0)
    return status;
  traxyz(xyz, e1, e2, line, n);
  const auto set = [&](const auto& fixed) {
    std::copy(fixed.begin(), fixed.end(), ops.begin());
    count = static_cast<int>(fixed.size());
  };
  if (line_is_centrosymmetric(xyz, n, symbols, thrsym)) {
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
  return 0;
}

// Closes a generator found outside the element search into the group.
int add_generator(const Operation& g, Group& group) {
  if (const int status = grpgrp(g, group); status != 0)
    return status;
  group.order = std::max(group.order, group.count);
  return 0;
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

// The element searches, inverses, classification and naming on the seeded group.
int find_and_name(std::span<const double> xyz, int n, std::span<const std::string> symbols,
                  double thrsym, bool refit, const SearchWorkspace& ws, Group& group,
                  References& refs, std::string& label) {
  if (const int status = getdis(xyz, ws.distances, n); status != 0)
    return status;
  const int nshell = rshell(xyz, symbols, n, shell_tolerance_factor * thrsym,
                            ShellOutput{ws.shell_positions, ws.shell_symbols, ws.distances,
                                        ws.shell_numbers, ws.shell_sizes});
  const int centre_atom = ionc(ws.distances, n);
  if (has_centre(xyz, n, symbols, thrsym)) {
    if (const int status = add_generator(diagonal(-1, -1, -1), group); status != 0)
      return status;
  }
  const ShellAtoms atoms{
      ws.shell_positions, ws.distances, ws.shell_numbers, ws.shell_sizes, n, nshell};
  const AxisSlots slots{ws.axes, ws.type_codes};
  int found = 0;
  if (const int status =
          cnsrch(atoms, group, slots, ws.element_scratch, centre_atom, thrsym, refit, found);
      status != 0) {
    return status;
  }
  if (const int status = cssrch(atoms, group, slots, ws.element_scratch, thrsym, refit, found);
      status != 0) {
    return status;
  }
  if (const int status = syminv(group, ws.inverses); status != 0)
    return status;
  std::fill(ws.type_codes.begin(), ws.type_codes.begin() + group.count, 0);
  Principal principal;
  if (const int status = analys(group, ws.inverses, ws.axes, ws.type_codes, principal);
      status != 0) {
    return status;
  }
  // The search proposes axes up to order 10, so a higher principal order can only be a product
  // of elements that noise has tilted: no point group to name.
  if (principal.proper_code > max_axis_order) {
    group.signals.unknown_group = true;
    return unnamed_order_status;
  }
  return ggroup(ws.axes, ws.type_codes, group.count, principal, group.tolerance, refs, label,
                group.signals);
}

} // namespace

int getsym(std::span<double> xyz, int n, std::span<const std::string> symbols, double thrsym,
           int adjst, bool refit, const SearchWorkspace& ws, std::span<Operation> ops, int& count,
           std::string& label, SearchSignals& signals) {
  label = unnamed_group;
  Group group = make_group(thrsym);
  const auto publish = [&](int status) {
    signals |= group.signals;
    count = group.count;
    std::copy_n(group.ops.begin(), group.count, ops.begin());
    return status;
  };

  double line[3];
  double normal[3];
  double line_dev = 0.0;
  double plane_dev = 0.0;
  lipl(xyz, n, line, normal, line_dev, plane_dev);
  if (thrsym > line_dev)
    return linear_group(xyz, n, symbols, thrsym, line, ops, count, label);
  if (thrsym > plane_dev) {
    Operation plane;
    gencs(normal, plane);
    if (const int status = add_generator(plane, group); status != 0)
      return publish(status);
  }

  References refs;
  if (const int status = find_and_name(xyz, n, symbols, thrsym, refit, ws, group, refs, label);
      status != 0) {
    return publish(status);
  }
  common::cpyvec(xyz.first(3 * static_cast<std::size_t>(n)), ws.shell_positions);
  int status = 0;
  if (adjst != 0 && group.count > 1)
    status = adjust1(group, ws.axes, xyz, n, refs);
  return publish(status);
}

} // namespace symmetry
