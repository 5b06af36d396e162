#include "symmetry/orientation.hpp"

#include <array>
#include <cmath>

#include "common/vectors.hpp"
#include "symmetry/frame.hpp"
#include "symmetry/linear_algebra.hpp"

namespace symmetry {

namespace {

// e1 and e2 from the references; e3 is already set.
Status complete_frame(std::span<const Axis> axes, const References& refs, const Thresholds& th,
                      Frame& f) {
  const bool y = refs.y > 0;
  const bool x = refs.x > 0;
  const bool bisector = refs.bisector > 0;
  const bool in_plane = refs.in_plane > 0;
  if (!y && !x && !bisector && !in_plane)
    return e1e2e3(f.e1.data(), f.e2.data(), f.e3.data(), th.e1e2e3_min_length);
  if (y && !x && !bisector && !in_plane) {
    f.e2 = axes[refs.y - 1];
    common::cross(f.e2.data(), f.e3.data(), f.e1.data());
    return Status::ok;
  }
  if (x) {
    f.e1 = axes[refs.x - 1];
    common::cross(f.e3.data(), f.e1.data(), f.e2.data());
    return Status::ok;
  }
  // Bisector or in-plane reference: its axis projected into the xy plane.
  const Axis& a = axes[(bisector ? refs.bisector : refs.in_plane) - 1];
  const double along = common::sprod(a, f.e3);
  for (int i = 0; i < 3; ++i)
    f.e1[i] = a[i] - along * f.e3[i];
  double length = 0.0;
  if (anorm(f.e1.data(), length, th.anorm_min_length) != Status::ok)
    return Status::degenerate_reference;
  common::cross(f.e3.data(), f.e1.data(), f.e2.data());
  if (bisector) {
    // Turn by 45 degrees so that the reference lies between the new x and y axes.
    const double root2 = std::sqrt(2.0);
    for (int i = 0; i < 3; ++i) {
      const double ex = f.e1[i];
      const double ey = f.e2[i];
      f.e1[i] = (ex - ey) / root2;
      f.e2[i] = (ex + ey) / root2;
    }
  }
  return Status::ok;
}

// r expressed in the frame: T r T^T, the rows of T being e1, e2, e3.
Operation in_frame(const Operation& r, const Frame& f) {
  const Operation t = frame_matrix(f.e1.data(), f.e2.data(), f.e3.data());
  Operation tr;
  Operation result;
  mult3(t, r, tr);
  mult3(tr, transpose(t), result);
  return result;
}

// True when every operation, seen in the frame, is again an operation of the list.
bool frame_changes_nothing(const Group& group, const Frame& f, double frame_agreement) {
  for (int k = 0; k < group.count; ++k) {
    const Operation seen = in_frame(group.ops[k], f);
    bool found = false;
    for (int l = 0; l < group.count && !found; ++l) {
      found = doof(seen.data(), group.ops[l].data(), 9, frame_agreement);
    }
    if (!found)
      return false;
  }
  return true;
}

} // namespace

Status adjust1(const Group& group, std::span<const Axis> axes, std::span<double> coords, int n,
               const References& refs, const Thresholds& th, Operation& turn) {
  if (refs.bisector > 0 && refs.in_plane > 0)
    return Status::conflicting_references;
  if (refs.z == 0)
    return Status::ok;
  Frame f{};
  f.e3 = axes[refs.z - 1];
  const Status status = complete_frame(axes, refs, th, f);
  if (status != Status::ok)
    return status;
  if (!frame_changes_nothing(group, f, th.frame_agreement)) {
    traxyz(coords, f.e1.data(), f.e2.data(), f.e3.data(), n);
    follow_turn(turn, f.e1.data(), f.e2.data(), f.e3.data());
  }
  return Status::ok;
}

} // namespace symmetry
