#include "symmetry/elements.hpp"

#include <algorithm>
#include <cstddef>

#include "common/run_context.hpp"
#include "symmetry/classify.hpp"
#include "symmetry/group.hpp"

namespace symmetry {

namespace {

constexpr int mirror_code = -1;
constexpr int inversion_code = -2;
constexpr int lowest_rotation_code = 2;

// Adds the element, or raises the order of the one of that kind along the same direction (there
// is one centre).
void add_element(std::vector<SymmetryElement>& elements, ElementKind kind, int order,
                 const Axis& direction, double tol) {
  for (SymmetryElement& known : elements) {
    if (known.kind == kind && (kind == ElementKind::inversion_centre ||
                               parall(known.direction.data(), direction.data(), tol))) {
      known.order = std::max(known.order, order);
      return;
    }
  }
  elements.push_back({kind, order, direction});
}

} // namespace

Status find_elements(int count, std::span<const Operation> ops, const Thresholds& th,
                     std::vector<SymmetryElement>& elements) {
  elements.clear();
  Group group = make_group(th);
  std::copy_n(ops.begin(), count, group.ops.begin());
  group.count = group.order = count;
  std::vector<int> inverse(max_operations, 0);
  std::vector<Axis> directions(max_operations);
  std::vector<int> codes(max_operations, 0);
  Principal principal;
  if (const Status status = syminv(group, inverse); status != Status::ok)
    return status;
  // The warnings of the classification belong to the search, which has written them already.
  common::RunContext quiet("", common::UnitsTo::nowhere);
  const Status classified = analys(quiet, group, inverse, directions, codes, principal, th);
  if (classified != Status::ok && classified != Status::no_order)
    return classified;
  const double tol = group.tolerance;
  for (std::size_t k = 0; k < static_cast<std::size_t>(group.count); ++k) {
    const int code = codes[k];
    if (code >= lowest_rotation_code)
      add_element(elements, ElementKind::rotation_axis, code, directions[k], tol);
    else if (code == mirror_code)
      add_element(elements, ElementKind::mirror_plane, 0, directions[k], tol);
    else if (code == inversion_code)
      add_element(elements, ElementKind::inversion_centre, 0, Axis{}, tol);
    else if (code < inversion_code)
      add_element(elements, ElementKind::improper_axis, -code, directions[k], tol);
  }
  return Status::ok;
}

} // namespace symmetry
