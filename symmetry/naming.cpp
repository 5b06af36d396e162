#include "symmetry/naming.hpp"

#include <cmath>
#include <optional>

#include "common/vectors.hpp"
#include "symmetry/icosahedron.hpp"

namespace symmetry {

namespace {

constexpr int large_number = 100;

double dot(const double* a, const double* b) {
  return common::sprod(std::span<const double>(a, 3), std::span<const double>(b, 3));
}

bool oblique_to(const double* a, const double* b, double tol) {
  return !parall(a, b, tol) && !orthog(a, b, tol);
}

// The in-plane reference of the icosahedral groups: the first three-fold axis at the angle of
// ihgen from the principal axis. Without one the group keeps its name, with the status missing.
Status icosahedral_reference(std::span<const Axis> axes, std::span<const int> codes, int count,
                             int principal, const Thresholds& th, Status missing,
                             References& refs) {
  const double tol = th.group;
  Axis v{};
  if (const Status status = ihgen(v, th); status != Status::ok)
    return status;
  const double c = v[2];
  for (int k = 0; k < count; ++k) {
    if (codes[k] == 3 && std::fabs(dot(axes[k].data(), axes[principal - 1].data()) - c) < tol) {
      refs.in_plane = k + 1;
      return Status::ok;
    }
  }
  return missing;
}

// The tetrahedral groups take their z axis from the first two-fold axis; status missing without
// one.
Status tetrahedral_reference(std::span<const int> codes, int count, Status missing,
                             References& refs) {
  refs.z = itgrep(codes, count, 2);
  return refs.z == 0 ? missing : Status::ok;
}

// What the naming rules read, and the label and references they write.
struct Naming {
  std::span<const Axis> axes;
  std::span<const int> codes;
  int count;
  int p;       // principal proper code
  int p_index; // its operation number
  int q;       // principal improper order
  int q_index; // its operation number
  const Thresholds& th;
  References& refs;
  std::string& label;
};

// The status of the rule that named the group; none when no rule of the step applies.
using Named = std::optional<Status>;

// Orders 1 and 2: the code of operation 2 names the group (C1, Cs, C2, Ci). Any other code leaves
// the label as it stood.
Named name_order_one_or_two(Naming& n) {
  if (n.count == 1) {
    n.label = "c1  ";
    return Status::ok;
  }
  if (n.count != 2)
    return std::nullopt;
  if (n.codes[1] == -1) {
    n.label = "cs  ";
    n.refs.z = 2;
  } else if (n.codes[1] == 2) {
    n.label = "c2  ";
    n.refs.z = 2;
  } else if (n.codes[1] == -2) {
    n.label = "ci  ";
  }
  return Status::ok;
}

// Cn and Sn: every operation a power of the principal proper or improper one.
Named name_cyclic(Naming& n) {
  if (n.p >= 1 && n.count == n.p) {
    n.label = group_label('c', n.p, "", true);
    n.refs.z = n.p_index;
    return Status::ok;
  }
  if (n.q >= 1 && n.count == n.q) {
    n.label = group_label('s', n.q, "", true);
    n.refs.z = n.q_index;
    return Status::ok;
  }
  return std::nullopt;
}

// One principal axis and no oblique one: Dnd, Dn, Cnh, Cnv, tried in this order.
Named name_axial(Naming& n, const Relations& r) {
  const bool oblique = r.oblique > 0;
  const bool horizontal = r.horizontal > 0;
  const bool vertical = r.vertical > 0;
  if (n.q > n.p && r.c2_perp_q > 0 && !oblique && !horizontal && vertical) {
    n.label = group_label('d', n.p, "d", false);
    n.refs.z = n.q_index;
    n.refs.x = r.c2_perp_q;
    return Status::ok;
  }
  if (n.p > n.q && r.c2_perp_p > 0 && !oblique && !horizontal && !vertical) {
    n.label = group_label('d', n.p, "", false);
    n.refs.z = n.p_index;
    n.refs.x = r.c2_perp_p;
    return Status::ok;
  }
  if (n.p >= n.q && r.c2_perp_p == 0 && !oblique && horizontal && !vertical) {
    n.label = group_label('c', n.p, "h", false);
    n.refs.z = n.p_index;
    return Status::ok;
  }
  if (n.p > n.q && r.c2_perp_p == 0 && !oblique && !horizontal && vertical) {
    n.label = group_label('c', n.p, "v", false);
    n.refs.z = n.p_index;
    n.refs.y = r.vertical;
    return Status::ok;
  }
  return std::nullopt;
}

// I and Ih: the five-fold axis is z, and a three-fold axis next to it gives the in-plane reference.
Named name_icosahedral(Naming& n, bool oblique) {
  if (n.p != 5 || !oblique || (n.count != 120 && n.count != 60))
    return std::nullopt;
  const bool full = n.count == 120;
  n.label = full ? "ih  " : "i   ";
  n.refs.z = n.p_index;
  return icosahedral_reference(n.axes, n.codes, n.count, n.p_index, n.th,
                               full ? Status::missing_c3_axis_ih : Status::missing_c3_axis_i,
                               n.refs);
}

// T and Th: a two-fold axis is z, and the principal three-fold axis the bisector reference.
Named name_tetrahedral(Naming& n, bool oblique) {
  if (n.p != 3 || !oblique || (n.count != 24 && n.count != 12))
    return std::nullopt;
  const bool full = n.count == 24;
  n.label = full ? "th  " : "t   ";
  const Status status = tetrahedral_reference(
      n.codes, n.count, full ? Status::missing_c2_axis_th : Status::missing_c2_axis_t, n.refs);
  if (status == Status::ok)
    n.refs.bisector = n.p_index;
  return status;
}

// The groups with oblique axes, tried in this order: I and Ih, Td, T and Th, Oh, O.
Named name_polyhedral(Naming& n, const Relations& r) {
  const bool oblique = r.oblique > 0;
  if (const Named named = name_icosahedral(n, oblique))
    return named;
  if (n.q == 4 && oblique && r.c2_perp_q > 0) {
    n.label = "td  ";
    n.refs.z = n.q_index;
    n.refs.x = r.c2_perp_q;
    n.refs.bisector = r.oblique;
    return Status::ok;
  }
  if (const Named named = name_tetrahedral(n, oblique))
    return named;
  if (n.q == 6 && n.p == 4 && r.horizontal > 0) {
    n.label = "oh  ";
    n.refs.z = n.p_index;
    n.refs.bisector = n.q_index;
    return Status::ok;
  }
  if (n.p == 4 && oblique && n.count == 24) {
    n.label = "o   ";
    n.refs.z = n.p_index;
    n.refs.bisector = r.oblique;
    return Status::ok;
  }
  return std::nullopt;
}

// Dnh, the last name tried: perpendicular two-fold axes and both kinds of plane about the
// improper axis.
Named name_dnh(Naming& n, const Relations& r) {
  if ((n.q == n.p || n.q == 2 * n.p) && r.oblique == 0 && r.c2_perp_q > 0 && r.horizontal > 0 &&
      r.vertical > 0) {
    n.label = group_label('d', n.p, "h", false);
    n.refs.z = n.q_index;
    n.refs.x = r.c2_perp_q;
    return Status::ok;
  }
  return std::nullopt;
}

} // namespace

int itgrep(std::span<const int> list, int n, int value) {
  for (int i = 0; i < n; ++i) {
    if (list[i] == value)
      return i + 1;
  }
  return 0;
}

Relations symel(std::span<const Axis> axes, std::span<const int> codes, int count,
                const Principal& principal, double tol) {
  const int p = principal.proper_index;
  const int q = principal.improper_index;
  const double* axis_p = p > 0 ? axes[p - 1].data() : nullptr;
  const double* axis_q = q > 0 ? axes[q - 1].data() : nullptr;
  // The oblique two-fold test looks at operation 3 only when it is the principal one.
  const double* axis_3 = p == 3 ? axes[2].data() : nullptr;
  Relations found;
  const auto first = [](int& slot, int k, bool hit) {
    if (slot == 0 && hit)
      slot = k + 1;
  };
  for (int k = 0; k < count; ++k) {
    const double* a = axes[k].data();
    const bool perp_p = axis_p != nullptr && orthog(a, axis_p, tol);
    const bool perp_q = axis_q != nullptr && orthog(a, axis_q, tol);
    const bool par_p = axis_p != nullptr && parall(a, axis_p, tol);
    const bool par_q = axis_q != nullptr && parall(a, axis_q, tol);
    if (codes[k] == 2) {
      first(found.c2_perp_p, k, perp_p);
      first(found.c2_perp_q, k, perp_q);
      first(found.oblique, k, axis_3 != nullptr && oblique_to(a, axis_3, tol));
    } else if (codes[k] == -1) {
      first(found.horizontal, k, par_p || par_q);
      first(found.vertical, k, perp_p || perp_q);
    } else if (codes[k] == 3) {
      first(found.oblique, k,
            (axis_p != nullptr && oblique_to(a, axis_p, tol)) ||
                (axis_q != nullptr && oblique_to(a, axis_q, tol)));
    }
  }
  return found;
}

std::string group_label(char base, int number, std::string_view letter, bool mark_large) {
  std::string label(1, base);
  if (number < large_number) {
    label += std::to_string(number);
    label += letter;
  } else if (mark_large) {
    label += 'n';
  }
  label.resize(4, ' ');
  return label;
}

Status ggroup(std::span<const Axis> axes, std::span<const int> codes, int count,
              const Principal& principal, const Thresholds& th, References& refs,
              std::string& label) {
  Naming n{axes,
           codes,
           count,
           principal.proper_code,
           principal.proper_index,
           principal.improper_order,
           principal.improper_index,
           th,
           refs,
           label};
  if (const Named named = name_order_one_or_two(n))
    return *named;
  if (const Named named = name_cyclic(n))
    return *named;
  const Relations r = symel(axes, codes, count, principal, th.group);
  if (const Named named = name_axial(n, r))
    return *named;
  if (const Named named = name_polyhedral(n, r))
    return *named;
  if (const Named named = name_dnh(n, r))
    return *named;
  return Status::unknown_group;
}

} // namespace symmetry
