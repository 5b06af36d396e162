#include "tools/core/symmetry_elements.hpp"

#include <algorithm>
#include <sstream>

#include "common/keyword_input.hpp"
#include "common/run_context.hpp"
#include "common/termination.hpp"
#include "symmetry/classify.hpp"
#include "symmetry/driver.hpp"

namespace tools {

namespace {

constexpr int mirror_code = -1;
constexpr int inversion_code = -2;
constexpr int lowest_rotation_code = 2;
// adjst of a symmetry run: the molecule may be turned into the standard frame of its group.
constexpr int standard_frame = 1;
constexpr int silent = 0; // no listing

symmetry::SymmetryInput read_input(common::RunContext& run, std::string_view text) {
  std::istringstream in{std::string(text)};
  common::InputDeck deck(in);
  try {
    return symmetry::read_symmetry_input(run, deck);
  } catch (const common::InputError& e) {
    throw ToolError(std::string("keyword input: ") + e.what());
  } catch (const common::RunStop&) {
    throw ToolError("keyword input: a keyword of symmetry is missing");
  }
}

void add_axis(std::vector<RotationAxis>& axes, const Vec3& direction, int order, double tol) {
  for (RotationAxis& axis : axes)
    if (symmetry::parall(axis.direction.data(), direction.data(), tol)) {
      axis.order = std::max(axis.order, order);
      return;
    }
  axes.push_back({direction, order});
}

void add_plane(std::vector<Vec3>& normals, const Vec3& normal, double tol) {
  for (const Vec3& known : normals)
    if (symmetry::parall(known.data(), normal.data(), tol))
      return;
  normals.push_back(normal);
}

// Classifies the operations with symmetry's own routines and keeps one entry per element.
void collect_elements(common::RunContext& run, const symmetry::SymmetryResult& result,
                      double thrsym, SymmetryElements& elements) {
  const symmetry::Thresholds th = symmetry::make_thresholds(thrsym);
  symmetry::Group group = symmetry::make_group(th);
  std::copy_n(result.ops.begin(), result.count, group.ops.begin());
  group.count = group.order = result.count;
  std::vector<int> inverse(symmetry::max_operations, 0);
  std::vector<symmetry::Axis> directions(symmetry::max_operations);
  std::vector<int> codes(symmetry::max_operations, 0);
  symmetry::Principal principal;
  // An operation of no order collapses the group to the identity: no elements, no error.
  const auto classified = [&] {
    const symmetry::Status status =
        symmetry::analys(run, group, inverse, directions, codes, principal, th);
    return status == symmetry::Status::ok || status == symmetry::Status::no_order;
  };
  if (symmetry::syminv(group, inverse) != symmetry::Status::ok || !classified())
    throw ToolError("the operations of " + elements.group + " could not be classified");
  for (std::size_t k = 0; k < static_cast<std::size_t>(group.count); ++k) {
    if (codes[k] >= lowest_rotation_code)
      add_axis(elements.axes, directions[k], codes[k], group.tolerance);
    else if (codes[k] == mirror_code)
      add_plane(elements.plane_normals, directions[k], group.tolerance);
    else if (codes[k] == inversion_code)
      elements.inversion = true;
  }
}

} // namespace

SymmetryElements find_symmetry_elements(std::string_view input, std::span<const Vec3> geometry) {
  // The point-group record and the listing stay in memory, unread.
  common::RunContext run("", common::UnitsTo::memory);
  symmetry::SymmetryInput in = read_input(run, input);
  const auto n = static_cast<std::size_t>(in.natoms);
  if (!geometry.empty()) {
    if (geometry.size() != n)
      throw ToolError("the geometry has " + std::to_string(geometry.size()) +
                      " atoms, the keyword input " + std::to_string(n));
    for (std::size_t k = 0; k < n; ++k)
      std::copy(geometry[k].begin(), geometry[k].end(), in.xyz.begin() + 3 * k);
  }
  symmetry::Workspace ws = symmetry::make_workspace(in.natoms);
  symmetry::SymmetryResult result = symmetry::make_result(in.natoms);
  int adjst = standard_frame;
  try {
    symmetry::symtry(run, in.natoms, in.symbols, in.xyz, in.thrsym, adjst, silent, ws, result);
  } catch (const common::RunStop& stop) {
    throw ToolError("the point-group search stopped (" + stop.code + ")");
  }
  SymmetryElements elements;
  elements.group = std::string(trim(result.label));
  for (std::size_t k = 0; k < n; ++k)
    elements.positions.push_back({result.xyz[3 * k], result.xyz[3 * k + 1], result.xyz[3 * k + 2]});
  collect_elements(run, result, in.thrsym, elements);
  return elements;
}

} // namespace tools
