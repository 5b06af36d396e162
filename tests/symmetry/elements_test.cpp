#include "symmetry/elements.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

#include "symmetry/classified_groups.hpp"

namespace {

using symmetry::ElementKind;
using symmetry::SymmetryElement;

using namespace test_support;

constexpr double thrsym = 0.01;

struct Found {
  symmetry::Status status = symmetry::Status::ok;
  std::vector<SymmetryElement> elements;
};

Found elements_of(const symmetry::Group& g) {
  Found f;
  f.status = symmetry::find_elements(g.count, g.ops, symmetry::make_thresholds(thrsym), f.elements);
  return f;
}

Found elements_of(std::initializer_list<Operation> generators) {
  return elements_of(classify(generators, thrsym).group);
}

// The orders of the elements of one kind, in the order they were met.
std::vector<int> orders(const Found& f, ElementKind kind) {
  std::vector<int> list;
  for (const SymmetryElement& e : f.elements) {
    if (e.kind == kind)
      list.push_back(e.order);
  }
  return list;
}

bool along(const SymmetryElement& e, const Axis& a) {
  return std::fabs(std::fabs(common::sprod(e.direction, a)) - 1.0) < 1e-9;
}

TEST(FindElements, OneEntryPerElementOfTheGroup) {
  // D6h: C6 with six C2 across it, the horizontal and six vertical planes, S6 (with S3 on the same
  // axis) and the centre.
  const Found d6h = elements_of({rotation(ez, pi / 3.0), rotation(ex, pi), reflection(ez)});
  ASSERT_EQ(d6h.status, symmetry::Status::ok);
  EXPECT_EQ(orders(d6h, ElementKind::rotation_axis), (std::vector<int>{6, 2, 2, 2, 2, 2, 2}));
  EXPECT_EQ(orders(d6h, ElementKind::mirror_plane), std::vector<int>(7, 0));
  EXPECT_EQ(orders(d6h, ElementKind::improper_axis), (std::vector<int>{6}));
  EXPECT_EQ(orders(d6h, ElementKind::inversion_centre), (std::vector<int>{0}));

  // Td: four C3 and three C2, six planes, three S4 on the two-fold axes, no centre.
  const Found td = elements_of({rotation(ez, pi), rotation(ex, pi),
                                rotation(unit(1.0, 1.0, 1.0), 2.0 * pi / 3.0),
                                reflection(unit(1.0, -1.0, 0.0))});
  std::vector<int> axes = orders(td, ElementKind::rotation_axis);
  std::sort(axes.begin(), axes.end());
  EXPECT_EQ(axes, (std::vector<int>{2, 2, 2, 3, 3, 3, 3}));
  EXPECT_EQ(orders(td, ElementKind::mirror_plane).size(), 6u);
  EXPECT_EQ(orders(td, ElementKind::improper_axis), (std::vector<int>{4, 4, 4}));
  EXPECT_TRUE(orders(td, ElementKind::inversion_centre).empty());

  // S4 about x: the improper axis (operation 2) is met before the two-fold axis (its square).
  const Found s4 = elements_of({improper(ex, pi / 2.0)});
  ASSERT_EQ(s4.elements.size(), 2u);
  EXPECT_EQ(s4.elements[0].kind, ElementKind::improper_axis);
  EXPECT_EQ(s4.elements[1].kind, ElementKind::rotation_axis);
  EXPECT_TRUE(along(s4.elements[0], ex) && along(s4.elements[1], ex));
}

TEST(FindElements, OperationsThatCannotBeClassified) {
  symmetry::Group g = symmetry::make_group(symmetry::make_thresholds(thrsym));
  g.ops[1] = rotation(ez, 2.0 * pi / 3.0); // its inverse is missing
  g.count = 2;
  Found f = elements_of(g);
  EXPECT_EQ(f.status, symmetry::Status::no_inverse);
  EXPECT_TRUE(f.elements.empty());
  // A turn by one radian has no order: the group collapses to the identity, no error.
  g.ops[1] = rotation(ez, 1.0);
  g.ops[2] = rotation(ez, -1.0);
  g.count = 3;
  f = elements_of(g);
  EXPECT_EQ(f.status, symmetry::Status::ok);
  EXPECT_TRUE(f.elements.empty());
}

} // namespace
