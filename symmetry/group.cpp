#include "symmetry/group.hpp"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "symmetry/linear_algebra.hpp"
#include "symmetry/status.hpp"
#include "symmetry/symmetrise.hpp"

namespace symmetry {

namespace {

// g lies farther than distance from r in one element alone, so that dif cannot come out below it.
bool beyond_in_one_element(const Operation& g, const Operation& r, double distance) {
  const double reach = distance_reach(distance);
  for (std::size_t e = 0; e < g.size(); ++e) {
    if (std::fabs(g[e] - r[e]) > reach)
      return true;
  }
  return false;
}

bool listed(const Operation& g, const Operation& r, double tolerance) {
  return !beyond_in_one_element(g, r, tolerance) && dif(g.data(), r.data(), 9) < tolerance;
}

bool in_group(const Operation& g, const Group& group, int n) {
  for (int k = 0; k < n; ++k) {
    if (listed(g, group.ops[k], group.tolerance))
      return true;
  }
  return false;
}

// The operations of a closing list ordered on their first element: only those within reach of a
// product in that element can lie within the tolerance of it, so the membership test of the
// products measures a few operations instead of the whole list.
class ListIndex {
public:
  void add(const Group& group, int k) {
    const double first = group.ops[static_cast<std::size_t>(k)][0];
    const auto at = std::upper_bound(by_first_.begin(), by_first_.end(), first,
                                     [](double v, const Entry& e) { return v < e.first; });
    by_first_.insert(at, {first, k});
  }

  // Some operation of the list lies within the group's tolerance of g.
  bool holds(const Operation& g, const Group& group) const {
    const double reach = distance_reach(group.tolerance);
    auto k = std::lower_bound(by_first_.begin(), by_first_.end(), g[0] - reach,
                              [](const Entry& e, double v) { return e.first < v; });
    for (; k != by_first_.end() && k->first <= g[0] + reach; ++k) {
      if (listed(g, group.ops[static_cast<std::size_t>(k->second)], group.tolerance))
        return true;
    }
    return false;
  }

private:
  using Entry = std::pair<double, int>;
  std::vector<Entry> by_first_;
};

// The products op_i op_(m h) of one closure found in the list already, at i + max_operations m.
// The list only grows while a group closes, so such a product stays in it and is not tested
// again: the search for the next representative meets the same first new product.
using ListedProducts = std::bitset<static_cast<std::size_t>(max_operations) * max_operations>;

std::size_t product_slot(int i, int m) {
  return static_cast<std::size_t>(i) +
         static_cast<std::size_t>(max_operations) * static_cast<std::size_t>(m);
}

// Appends the coset g op_j, j = 1 .. h, as coset number c. False when the list is full.
bool append_coset(const Operation& g, int c, Group& group, ListIndex& index) {
  const int h = group.order;
  for (int j = 0; j < h; ++j) {
    if (group.count == max_operations)
      return false;
    ++group.count;
    mult3(g, group.ops[j], group.ops[c * h + j]);
    index.add(group, c * h + j);
  }
  return true;
}

// The first product op_i op_(m h + 1), m = 1 .. c - 1, that is not yet in the list.
bool new_representative(const Group& group, int c, const ListIndex& index, ListedProducts& known,
                        Operation& g) {
  const int h = group.order;
  for (int i = 0; i < group.count; ++i) {
    for (int m = 1; m < c; ++m) {
      if (known[product_slot(i, m)])
        continue;
      mult3(group.ops[i], group.ops[m * h], g);
      if (!index.holds(g, group))
        return true;
      known[product_slot(i, m)] = true;
    }
  }
  return false;
}

// Atoms spread over the list that every new operation must map before all are tried: a closure
// that misses the atoms usually shows it on a few of them.
constexpr int sampled_atoms = 16;

bool maps_atom(const Group& group, int k, int i) {
  const MappedAtoms& a = group.atoms;
  return has_image(group.ops[static_cast<std::size_t>(k)], i, a.positions, a.symbols, a.tolerance,
                   a.by_x);
}

// The first place from the given operation on where an operation misses an atom. The places
// where earlier closures missed come first, then the sampled atoms of every operation, the last
// operations first, then every atom; the order of the tests does not change whether there is a
// miss, only how soon it shows.
std::optional<MissedImages::Place> first_miss(const Group& group, int first) {
  const MappedAtoms& a = group.atoms;
  for (const MissedImages::Place place : group.missed.places()) {
    if (place.operation >= first && place.operation < group.count &&
        !maps_atom(group, place.operation, place.atom))
      return place;
  }
  const int stride = std::max(1, a.natoms / sampled_atoms);
  // The last operations are the longest products of the noisy generators: they miss first.
  for (int k = group.count - 1; k >= first; --k) {
    for (int i = 0; i < a.natoms; i += stride) {
      if (!maps_atom(group, k, i))
        return MissedImages::Place{k, i};
    }
  }
  for (int k = group.count - 1; k >= first; --k) {
    const int i = unpermuted_atom(group.ops[static_cast<std::size_t>(k)], a.natoms, a.positions,
                                  a.symbols, a.tolerance, a.by_x, a.scratch);
    if (i >= 0)
      return MissedImages::Place{k, i};
  }
  return std::nullopt;
}

// Every operation from the given one on carries the group's atoms onto like atoms.
bool maps_atoms(Group& group, int first) {
  if (group.atoms.natoms == 0)
    return true;
  const std::optional<MissedImages::Place> miss = first_miss(group, first);
  if (miss)
    group.missed.note(*miss);
  return !miss;
}

} // namespace

void MissedImages::note(Place place) {
  for (int k = 0; k < count_; ++k) {
    if (places_[k].operation == place.operation && places_[k].atom == place.atom)
      return;
  }
  // The latest first: shift the others down, dropping the oldest when all are kept.
  count_ = std::min(count_ + 1, kept);
  for (int k = count_ - 1; k > 0; --k)
    places_[k] = places_[k - 1];
  places_[0] = place;
}

void SearchSignals::note(Status s) {
  switch (s) {
  case Status::closure_overflow:
    overflow = true;
    break;
  case Status::closure_wrong_image:
  case Status::wrong_principal:
    wrong_image = true;
    break;
  case Status::no_inverse:
    no_inverse = true;
    break;
  case Status::no_order:
    no_order = true;
    break;
  case Status::unknown_group:
    unknown_group = true;
    break;
  default:
    break;
  }
}

SearchSignals& SearchSignals::operator|=(const SearchSignals& other) {
  overflow = overflow || other.overflow;
  no_inverse = no_inverse || other.no_inverse;
  no_order = no_order || other.no_order;
  unknown_group = unknown_group || other.unknown_group;
  wrong_image = wrong_image || other.wrong_image;
  return *this;
}

Group make_group(const Thresholds& th) {
  Group group;
  group.ops[0] = identity_operation;
  group.tolerance = th.group;
  return group;
}

Status grpgrp(const Operation& g, Group& group) {
  group.count = group.order;
  if (in_group(g, group, group.order))
    return Status::ok;
  // Each new representative starts a whole coset; products of list members with the coset
  // representatives are the only candidates for the next one.
  Operation representative = g;
  ListIndex index;
  for (int k = 0; k < group.order; ++k)
    index.add(group, k);
  ListedProducts known;
  for (int c = 1;; ++c) {
    if (!append_coset(representative, c, group, index))
      return Status::closure_overflow;
    if (!new_representative(group, c + 1, index, known, representative))
      break;
  }
  // A product of elements that each hold within the tolerance can still miss the atoms (noise
  // tilts them the wrong way): such a closure is no symmetry of the molecule.
  if (!maps_atoms(group, group.order))
    return Status::closure_wrong_image;
  return Status::ok;
}

Status syminv(Group& group, std::span<int> inverse) {
  std::fill(inverse.begin(), inverse.end(), 0);
  for (int k = 0; k < group.count; ++k) {
    const Operation r_transpose = transpose(group.ops[k]);
    for (int l = 0; l < group.count; ++l) {
      if (dif(r_transpose.data(), group.ops[l].data(), 9) <= group.tolerance) {
        inverse[k] = l + 1;
        break;
      }
    }
    if (inverse[k] == 0)
      return Status::no_inverse;
  }
  return Status::ok;
}

} // namespace symmetry
