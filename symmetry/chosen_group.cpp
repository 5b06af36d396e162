#include "symmetry/chosen_group.hpp"

#include <algorithm>
#include <cstddef>
#include <set>
#include <vector>

#include "common/run_context.hpp"
#include "common/vectors.hpp"
#include "symmetry/deviation.hpp"
#include "symmetry/driver.hpp"
#include "symmetry/elements.hpp"
#include "symmetry/orientation.hpp"
#include "symmetry/subgroups.hpp"
#include "symmetry/symmetrise.hpp"

namespace symmetry {

namespace {

constexpr int no_listing = 0;
constexpr Axis frame_z{0.0, 0.0, 1.0};
constexpr Axis frame_x{1.0, 0.0, 0.0};
constexpr Axis frame_y{0.0, 1.0, 0.0};
// Weights of the frame axes along which a subgroup keeps an element: z before x before y.
constexpr int z_weight = 4;
constexpr int x_weight = 2;
constexpr int y_weight = 1;

std::string trimmed(const std::string& label) { return label.substr(0, label.find(' ')); }

bool has_element_along(const Subgroup& sub, const Axis& direction, double tol) {
  return std::any_of(sub.elements.begin(), sub.elements.end(), [&](const SymmetryElement& e) {
    return e.kind != ElementKind::inversion_centre &&
           parall(e.direction.data(), direction.data(), tol);
  });
}

// How much of the found group's frame the subgroup keeps: the order of its rotation axis along z,
// then the weighted frame axes along which it has an element.
std::pair<int, int> frame_kept(const Subgroup& sub, double tol) {
  int z_order = 0;
  for (const SymmetryElement& e : sub.elements) {
    if (e.kind == ElementKind::rotation_axis && parall(e.direction.data(), frame_z.data(), tol))
      z_order = std::max(z_order, e.order);
  }
  const int axes = (has_element_along(sub, frame_z, tol) ? z_weight : 0) +
                   (has_element_along(sub, frame_x, tol) ? x_weight : 0) +
                   (has_element_along(sub, frame_y, tol) ? y_weight : 0);
  return {z_order, axes};
}

const Subgroup* keeping_most(const std::vector<const Subgroup*>& subs, double tol) {
  const Subgroup* best = nullptr;
  std::pair<int, int> best_kept{-1, -1};
  for (const Subgroup* sub : subs) {
    const std::pair<int, int> kept = frame_kept(*sub, tol);
    if (kept > best_kept) {
      best = sub;
      best_kept = kept;
    }
  }
  return best;
}

std::string subgroup_labels(const std::vector<Subgroup>& subs) {
  std::set<std::string> labels;
  for (const Subgroup& sub : subs)
    labels.insert(trimmed(sub.label));
  std::string text;
  for (const std::string& label : labels) {
    if (!text.empty())
      text += ", ";
    text += label;
  }
  return text;
}

// The centred atoms as given, and those turned into the frame of found.
struct Atoms {
  std::vector<double> centred;
  std::vector<double> turned;
};

Atoms found_frame_atoms(const SymmetryInput& input, const SymmetryResult& found) {
  Atoms atoms{input.xyz, input.xyz};
  for (std::size_t i = 0; i < atoms.centred.size(); ++i)
    atoms.centred[i] -= found.centre[i % 3];
  for (std::size_t i = 0; i + 2 < atoms.centred.size(); i += 3)
    common::matvec(3, found.rotation, std::span<const double>(atoms.centred).subspan(i, 3),
                   std::span<double>(atoms.turned).subspan(i, 3));
  return atoms;
}

// The operations of the subgroup, seen in the frame that turn takes found's frame to.
void operations_in_frame(const Subgroup& sub, const SymmetryResult& found, SymmetryResult& result) {
  Operation change;
  mult3(result.rotation, transpose(found.rotation), change);
  result.count = static_cast<int>(sub.members.size());
  for (std::size_t k = 0; k < sub.members.size(); ++k) {
    Operation left;
    mult3(change, found.ops[static_cast<std::size_t>(sub.members[k])], left);
    mult3(left, transpose(change), result.ops[k]);
  }
}

// The atoms symmetrised to the subgroup in its standard frame, as symtry finishes a group.
ChosenGroup symmetrised(const SymmetryInput& input, const SymmetryResult& found,
                        const Subgroup& sub) {
  const int n = input.natoms;
  const Thresholds th = make_thresholds(input.thrsym);
  Atoms atoms = found_frame_atoms(input, found);
  ChosenGroup chosen;
  SymmetryResult& result = chosen.result;
  result = make_result(n);
  result.centre = found.centre;
  result.rotation = found.rotation;
  result.label = sub.label;
  result.xyz = atoms.turned;
  Group group = make_group(th);
  group.count = group.order = static_cast<int>(sub.members.size());
  for (std::size_t k = 0; k < sub.members.size(); ++k)
    group.ops[k] = found.ops[static_cast<std::size_t>(sub.members[k])];
  if (adjust1(group, sub.axes, result.xyz, n, sub.refs, th, result.rotation) != Status::ok) {
    chosen.refusal = "the standard frame of " + trimmed(sub.label) + " cannot be built";
    return chosen;
  }
  operations_in_frame(sub, found, result);
  common::RunContext quiet("", common::UnitsTo::nowhere);
  if (!settle_operations(quiet, n, input.symbols, atoms.centred, th, no_listing, result)) {
    chosen.refusal = "the operations of " + trimmed(sub.label) + " do not map the atoms";
    return chosen;
  }
  fit_operations(n, input.symbols, th, result);
  std::vector<double> accum(result.xyz.size());
  symvec(n, result.count, result.neqatm, result.ops, accum, th.symvec_zero, result.xyz);
  result.degrees = numdeg(n, result.count, result.ops, result.label, result.neqatm);
  result.elements_status = find_elements(result.count, result.ops, th, result.elements);
  result.deviation = measure_deviation(n, input.xyz, result);
  return chosen;
}

} // namespace

ChosenGroup symmetrise_to(const SymmetryInput& input, const SymmetryResult& found,
                          std::string_view label, const std::optional<Axis>& along) {
  ChosenGroup chosen;
  const std::string wanted = program_label(label);
  const std::string name = trimmed(wanted);
  const std::string own = trimmed(found.label);
  const int order = label_order(wanted);
  if (order == 0) {
    chosen.refusal = std::string(label);
    chosen.refusal.append(": names no point group");
    return chosen;
  }
  if (found.count % order != 0) {
    chosen.refusal = name + " is no subgroup of " + own + ": its order " + std::to_string(order) +
                     " does not divide " + std::to_string(found.count);
    return chosen;
  }
  const Thresholds th = make_thresholds(input.thrsym);
  const bool linear = found.label == "c*v " || found.label == "d*h ";
  const std::vector<Subgroup> subs =
      subgroups_of_order(found.count, found.ops, order, th, linear ? found.label : "");
  std::vector<const Subgroup*> named;
  for (const Subgroup& sub : subs) {
    if (sub.label == wanted)
      named.push_back(&sub);
  }
  if (named.empty()) {
    chosen.refusal = own + " has no subgroup " + name + "; its subgroups of order " +
                     std::to_string(order) + ": " + subgroup_labels(subs);
    return chosen;
  }
  if (along) {
    std::erase_if(named,
                  [&](const Subgroup* sub) { return !has_element_along(*sub, *along, th.group); });
    if (named.empty()) {
      chosen.refusal =
          "no " + name + " of " + own + " has an axis or a plane normal along the direction given";
      return chosen;
    }
  }
  const int choices = static_cast<int>(std::count_if(
      subs.begin(), subs.end(), [&](const Subgroup& sub) { return sub.label == wanted; }));
  chosen = symmetrised(input, found, *keeping_most(named, th.group));
  chosen.choices = choices;
  return chosen;
}

} // namespace symmetry
