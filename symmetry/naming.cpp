#include "symmetry/naming.hpp"

#include <cmath>

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
  const double tol = th.group;
  const int p = principal.proper_code;
  const int p_index = principal.proper_index;
  const int q = principal.improper_order;
  const int q_index = principal.improper_index;
  if (count == 1) {
    label = "c1  ";
    return Status::ok;
  }
  if (count == 2) {
    if (codes[1] == -1) {
      label = "cs  ";
      refs.z = 2;
    } else if (codes[1] == 2) {
      label = "c2  ";
      refs.z = 2;
    } else if (codes[1] == -2) {
      label = "ci  ";
    }
    return Status::ok;
  }
  if (p >= 1 && count == p) {
    label = group_label('c', p, "", true);
    refs.z = p_index;
    return Status::ok;
  }
  if (q >= 1 && count == q) {
    label = group_label('s', q, "", true);
    refs.z = q_index;
    return Status::ok;
  }
  const Relations r = symel(axes, codes, count, principal, tol);
  const bool oblique = r.oblique > 0;
  const bool horizontal = r.horizontal > 0;
  const bool vertical = r.vertical > 0;
  if (q > p && r.c2_perp_q > 0 && !oblique && !horizontal && vertical) {
    label = group_label('d', p, "d", false);
    refs.z = q_index;
    refs.x = r.c2_perp_q;
    return Status::ok;
  }
  if (p > q && r.c2_perp_p > 0 && !oblique && !horizontal && !vertical) {
    label = group_label('d', p, "", false);
    refs.z = p_index;
    refs.x = r.c2_perp_p;
    return Status::ok;
  }
  if (p >= q && r.c2_perp_p == 0 && !oblique && horizontal && !vertical) {
    label = group_label('c', p, "h", false);
    refs.z = p_index;
    return Status::ok;
  }
  if (p > q && r.c2_perp_p == 0 && !oblique && !horizontal && vertical) {
    label = group_label('c', p, "v", false);
    refs.z = p_index;
    refs.y = r.vertical;
    return Status::ok;
  }
  if (p == 5 && oblique && (count == 120 || count == 60)) {
    const bool full = count == 120;
    label = full ? "ih  " : "i   ";
    refs.z = p_index;
    return icosahedral_reference(axes, codes, count, p_index, th,
                                 full ? Status::missing_c3_axis_ih : Status::missing_c3_axis_i,
                                 refs);
  }
  if (q == 4 && oblique && r.c2_perp_q > 0) {
    label = "td  ";
    refs.z = q_index;
    refs.x = r.c2_perp_q;
    refs.bisector = r.oblique;
    return Status::ok;
  }
  if (p == 3 && oblique && (count == 24 || count == 12)) {
    const bool full = count == 24;
    label = full ? "th  " : "t   ";
    const Status status = tetrahedral_reference(
        codes, count, full ? Status::missing_c2_axis_th : Status::missing_c2_axis_t, refs);
    if (status == Status::ok)
      refs.bisector = p_index;
    return status;
  }
  if (q == 6 && p == 4 && horizontal) {
    label = "oh  ";
    refs.z = p_index;
    refs.bisector = q_index;
    return Status::ok;
  }
  if (p == 4 && oblique && count == 24) {
    label = "o   ";
    refs.z = p_index;
    refs.bisector = r.oblique;
    return Status::ok;
  }
  if ((q == p || q == 2 * p) && !oblique && r.c2_perp_q > 0 && horizontal && vertical) {
    label = group_label('d', p, "h", false);
    refs.z = q_index;
    refs.x = r.c2_perp_q;
    return Status::ok;
  }
  return Status::unknown_group;
}

} // namespace symmetry
