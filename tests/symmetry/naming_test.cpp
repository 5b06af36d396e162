#include "symmetry/naming.hpp"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "symmetry/classify.hpp"
#include "symmetry/icosahedron.hpp"
#include "symmetry/operation_builders.hpp"

namespace {

using symmetry::Axis;
using symmetry::Group;
using symmetry::Operation;

using namespace test_support;

constexpr double thrsym = 0.01;

const Axis body_diagonal = unit(1.0, 1.0, 1.0);

// Adds the generators one by one as the searches do, keeping h = N after each success.
Group close(std::initializer_list<Operation> generators) {
  Group g = symmetry::make_group(symmetry::make_thresholds(thrsym));
  for (const Operation& r : generators) {
    EXPECT_EQ(symmetry::grpgrp(r, g), symmetry::Status::ok);
    g.order = g.count;
  }
  return g;
}

struct Named {
  std::string label = "????";
  symmetry::References refs;
  symmetry::Principal principal;
  std::vector<int> codes;
  symmetry::Relations relations;
  symmetry::Status status = symmetry::Status::ok;
};

// Closure, inverses, classification and naming, in the order of the search driver.
Named name(std::initializer_list<Operation> generators) {
  common::RunContext run("", common::UnitsTo::memory);
  Group g = close(generators);
  std::vector<int> inverse(symmetry::max_operations);
  std::vector<int> codes(symmetry::max_operations);
  std::vector<Axis> axes(symmetry::max_operations);
  Named n;
  if (symmetry::syminv(g, inverse) != symmetry::Status::ok) {
    ADD_FAILURE() << "no inverse";
    return n;
  }
  EXPECT_EQ(symmetry::analys(run, g, inverse, axes, codes, n.principal,
                             symmetry::make_thresholds(g.tolerance)),
            symmetry::Status::ok);
  n.relations = symmetry::symel(axes, codes, g.count, n.principal, g.tolerance);
  n.status = symmetry::ggroup(axes, codes, g.count, n.principal,
                              symmetry::make_thresholds(g.tolerance), n.refs, n.label);
  n.codes.assign(codes.begin(), codes.begin() + g.count);
  return n;
}

TEST(Labels, NumbersAndLettersFillCharactersTwoToFour) {
  EXPECT_EQ(symmetry::group_label('c', 3, "v", false), "c3v ");
  EXPECT_EQ(symmetry::group_label('d', 10, "h", false), "d10h");
  EXPECT_EQ(symmetry::group_label('c', 10, "", true), "c10 ");
  EXPECT_EQ(symmetry::group_label('s', 4, "", true), "s4  ");
  EXPECT_EQ(symmetry::group_label('c', 100, "", true), "cn  ");
  EXPECT_EQ(symmetry::group_label('s', 120, "", true), "sn  ");
  EXPECT_EQ(symmetry::group_label('d', 100, "h", false), "d   ");
}

TEST(Naming, SmallGroups) {
  EXPECT_EQ(name({}).label, "c1  ");
  const Named cs = name({reflection(ez)});
  EXPECT_EQ(cs.label, "cs  ");
  EXPECT_EQ(cs.refs.z, 2);
  const Named ci = name({inversion});
  EXPECT_EQ(ci.label, "ci  ");
  EXPECT_EQ(ci.refs.z, 0);
  EXPECT_EQ(name({rotation(ez, pi)}).label, "c2  ");
  const Named c5 = name({rotation(ez, 2.0 * pi / 5.0)});
  EXPECT_EQ(c5.label, "c5  ");
  EXPECT_EQ(c5.codes[c5.refs.z - 1], 5);
  const Named s4 = name({improper(ez, pi / 2.0)});
  EXPECT_EQ(s4.label, "s4  ");
  EXPECT_EQ(s4.codes[s4.refs.z - 1], -4);
  EXPECT_EQ(name({improper(ez, pi / 3.0)}).label, "s6  ");
}

TEST(Naming, AxialGroups) {
  const Named c2v = name({rotation(ez, pi), reflection(ex)});
  EXPECT_EQ(c2v.label, "c2v ");
  EXPECT_EQ(c2v.refs.y, 3); // the first plane
  EXPECT_EQ(name({rotation(ez, 2.0 * pi / 3.0), reflection(ex)}).label, "c3v ");
  EXPECT_EQ(name({rotation(ez, 2.0 * pi / 3.0), reflection(ez)}).label, "c3h ");
  EXPECT_EQ(name({rotation(ez, pi), reflection(ez)}).label, "c2h ");
  const Named d3 = name({rotation(ez, 2.0 * pi / 3.0), rotation(ex, pi)});
  EXPECT_EQ(d3.label, "d3  ");
  EXPECT_EQ(d3.codes[d3.refs.x - 1], 2);
  const Named d3d = name({rotation(ez, 2.0 * pi / 3.0), rotation(ex, pi), inversion});
  EXPECT_EQ(d3d.label, "d3d ");
  EXPECT_EQ(d3d.codes[d3d.refs.z - 1], -6);
  EXPECT_EQ(name({rotation(ez, pi / 2.0), rotation(ex, pi), reflection(ez)}).label, "d4h ");
  const Named d6h = name({rotation(ez, pi / 3.0), rotation(ex, pi), reflection(ez)});
  EXPECT_EQ(d6h.label, "d6h ");
  EXPECT_EQ(d6h.codes.size(), 24u);
  EXPECT_EQ(name({rotation(ez, pi), rotation(ex, pi), inversion}).label, "d2h ");
  EXPECT_EQ(name({rotation(ez, pi / 5.0), rotation(ex, pi), reflection(ez)}).label, "d10h");
}

TEST(Naming, CubicGroups) {
  const Operation c2z = rotation(ez, pi);
  const Operation c2x = rotation(ex, pi);
  const Operation c3 = rotation(body_diagonal, 2.0 * pi / 3.0);
  EXPECT_EQ(name({c2z, c2x, c3}).label, "t   ");
  const Named th = name({c2z, c2x, c3, inversion});
  EXPECT_EQ(th.label, "th  ");
  EXPECT_EQ(th.codes[th.refs.z - 1], 2);
  EXPECT_EQ(th.codes[th.refs.bisector - 1], 3);
  const Named td = name({c2z, c2x, c3, reflection(unit(1.0, -1.0, 0.0))});
  EXPECT_EQ(td.label, "td  ");
  EXPECT_EQ(td.codes[td.refs.z - 1], -4);
  EXPECT_EQ(td.codes[td.refs.x - 1], 2);
  EXPECT_EQ(td.codes[td.refs.bisector - 1], 3);
  // With the three-fold pair first the principal operation is number 3, and the two-fold axis
  // oblique to it (operation 4) comes before any other three-fold axis.
  const Named t_c3_first = name({c3, c2z});
  EXPECT_EQ(t_c3_first.label, "t   ");
  EXPECT_EQ(t_c3_first.principal.proper_index, 3);
  EXPECT_EQ(t_c3_first.relations.oblique, 4);
  EXPECT_EQ(t_c3_first.codes[3], 2);
  EXPECT_EQ(name({rotation(ez, pi / 2.0), c3}).label, "o   ");
  const Named oh = name({rotation(ez, pi / 2.0), c3, inversion});
  EXPECT_EQ(oh.label, "oh  ");
  EXPECT_EQ(oh.codes[oh.refs.z - 1], 4);
  EXPECT_EQ(oh.codes[oh.refs.bisector - 1], -6);
}

TEST(Naming, IcosahedralGroupsFindTheInPlaneThreeFoldAxis) {
  Axis c3{};
  ASSERT_EQ(symmetry::ihgen(c3, symmetry::make_thresholds(thrsym)), symmetry::Status::ok);
  const Operation c5 = rotation(ez, 2.0 * pi / 5.0);
  const Named i = name({c5, rotation(c3, 2.0 * pi / 3.0)});
  EXPECT_EQ(i.label, "i   ");
  const Named ih = name({c5, rotation(c3, 2.0 * pi / 3.0), inversion});
  EXPECT_EQ(ih.label, "ih  ");
  EXPECT_EQ(ih.status, symmetry::Status::ok);
  EXPECT_EQ(ih.codes[ih.refs.z - 1], 5);
  ASSERT_GT(ih.refs.in_plane, 0);
  EXPECT_EQ(ih.codes[ih.refs.in_plane - 1], 3);
}

TEST(Naming, UnknownSetsFailOrKeepTheLabel) {
  const std::vector<Axis> axes(4, ez);
  symmetry::References refs;
  std::string label = "????";
  // Order 2 with a three-fold code fits no rule of its own: the label stays, status ok.
  EXPECT_EQ(symmetry::ggroup(axes, std::vector<int>{1, 3}, 2, {3, 2, 0, 0},
                             symmetry::make_thresholds(0.01), refs, label),
            symmetry::Status::ok);
  EXPECT_EQ(label, "????");
  EXPECT_EQ(symmetry::ggroup(axes, std::vector<int>{1, 3, 3, 3}, 4, {3, 2, 0, 0},
                             symmetry::make_thresholds(0.01), refs, label),
            symmetry::Status::unknown_group);
  EXPECT_EQ(label, "????");
}

} // namespace
