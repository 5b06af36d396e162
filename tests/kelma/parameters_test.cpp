#include "kelma/parameters.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "kelma/parameter_tables.hpp"

namespace {

using kelma::find_angle_row;
using kelma::find_bond_row;
using kelma::find_torsion_row;

TEST(Tables, SpotRowsReadAsPublished) {
  auto bond = [](int row) {
    const auto& r = kelma::bond_row(row);
    return std::make_tuple(r.type1, r.type2, r.code, r.r0, r.k);
  };
  EXPECT_EQ(bond(1), std::make_tuple(4, 4, 3, 1.204, 1400.0));
  EXPECT_EQ(bond(23), std::make_tuple(0, 13, 1, 1.008, 700.0));
  EXPECT_EQ(bond(45), std::make_tuple(2, 28, 4, 1.345, 870.1));
  EXPECT_EQ(bond(90), std::make_tuple(27, 1, 1, 1.84, 600.0));
  EXPECT_EQ(bond(150), std::make_tuple(17, 17, 1, 2.666, 500.0));

  auto angle = [](int row) {
    const auto& r = kelma::angle_row(row);
    return std::make_tuple(r.end1, r.apex, r.end2, r.theta0, r.k);
  };
  EXPECT_EQ(angle(1), std::make_tuple(0, 4, 0, 180.0, 0.04));
  EXPECT_EQ(angle(21), std::make_tuple(0, 2, 13, 120.0, 0.012));
  EXPECT_EQ(angle(58), std::make_tuple(2, 1, 3, 109.47, 0.018));
  EXPECT_EQ(angle(184), std::make_tuple(1, 8, 8, 103.9, 0.094));
  EXPECT_EQ(angle(199), std::make_tuple(0, 29, 9, 107.0, 0.04));
  EXPECT_EQ(angle(202), std::make_tuple(0, 27, 0, 109.5, 0.02));

  auto torsion = [](int row) {
    const auto& r = kelma::torsion_row(row);
    return std::make_tuple(r.a, r.b, r.c, r.d, r.code, r.v, r.n);
  };
  EXPECT_EQ(torsion(1), std::make_tuple(9, 2, 1, 1, 1, 0.7, -3));
  EXPECT_EQ(torsion(14), std::make_tuple(2, 2, 1, 0, 1, 0.126, -3));
  EXPECT_EQ(torsion(47), std::make_tuple(0, 2, 28, 0, 4, 6.46, -2));
  EXPECT_EQ(torsion(76), std::make_tuple(0, 10, 10, 0, 1, 4.0, 3));
}

TEST(Tables, AngleIndexPointsAtContiguousBlocksOfItsApex) {
  int next = 1;
  for (int first :
       {1, 7, 53, 96, 124, 125, 138, 144, 146, 165, 167, 176, 186, 191, 194, 199, 200}) {
    EXPECT_EQ(first, next);
    const int apex = kelma::angle_row(first).apex;
    const auto block = kelma::angle_block(apex);
    EXPECT_EQ(block.first, first);
    for (int row = first; row < first + block.count; ++row) {
      EXPECT_EQ(kelma::angle_row(row).apex, apex) << "row " << row;
    }
    next = first + block.count;
  }
  EXPECT_EQ(next, 202);
  EXPECT_EQ(kelma::angle_block(27).count, 0);
  for (int type : {9, 13, 14, 15, 16, 17, 20, 21, 22, 23, 24, 25, 26, 32}) {
    EXPECT_EQ(kelma::angle_block(type).count, 0) << "type " << type;
  }
}

TEST(Tables, TorsionSectionsHaveTheirGenericEnds) {
  for (int row = 1; row <= kelma::torsion_rows; ++row) {
    const auto& r = kelma::torsion_row(row);
    const int generic_ends = (r.a == 0) + (r.d == 0);
    EXPECT_EQ(generic_ends, row <= 13 ? 0 : row <= 20 ? 1 : 2) << "row " << row;
    EXPECT_TRUE(std::abs(r.n) >= 1 && std::abs(r.n) <= 3) << "row " << row;
  }
}

TEST(PerType, RadiiAreWidenedSinglePrecisionAndDepthsExact) {
  EXPECT_EQ(kelma::vdw_radius(1), 1.7000000476837158);
  EXPECT_EQ(kelma::vdw_radius(5), 1.5499999523162842);
  EXPECT_EQ(kelma::vdw_radius(8), 1.5199999809265137);
  EXPECT_EQ(kelma::vdw_radius(10), 1.7999999523162842);
  EXPECT_EQ(kelma::vdw_radius(13), 1.5);
  EXPECT_EQ(kelma::vdw_radius(14), 1.850000023841858);
  EXPECT_EQ(kelma::vdw_radius(15), 1.75);
  EXPECT_EQ(kelma::vdw_radius(16), 1.4700000286102295);
  EXPECT_EQ(kelma::vdw_radius(17), 1.9800000190734863);
  EXPECT_EQ(kelma::vdw_radius(21), 1.2000000476837158);
  EXPECT_EQ(kelma::vdw_radius(32), 0.0);
  EXPECT_EQ(kelma::well_depth(17), 0.623);
  EXPECT_EQ(kelma::well_depth(23), 0.6);
  EXPECT_EQ(kelma::well_depth(32), 1.0);
  EXPECT_EQ(kelma::oop_constant(3), 480.0);
  EXPECT_EQ(kelma::oop_constant(19), 120.0);
  EXPECT_EQ(kelma::oop_constant(1), 0.0);
}

TEST(BondLookup, RowsFallbacksAndGeometry) {
  EXPECT_EQ(find_bond_row(4, 4, 3), 1);
  EXPECT_EQ(find_bond_row(2, 4, 2), 5); // either order of the types
  EXPECT_EQ(find_bond_row(10, 13, 1), 23);
  EXPECT_EQ(find_bond_row(13, 10, 2), 23);
  EXPECT_EQ(find_bond_row(4, 4, 2), 0);
  const auto from_geometry = kelma::bond_parameters(4, 4, 2, 1.23456);
  EXPECT_EQ(from_geometry.r0, 1.23456);
  EXPECT_EQ(from_geometry.k, 600.0);
  const auto hydrogen = kelma::bond_parameters(10, 13, 1, 1.5);
  EXPECT_EQ(hydrogen.r0, 1.008);
  EXPECT_EQ(hydrogen.k, 700.0);
}

TEST(AngleLookup, BlockRowsThenTheFallbacks) {
  EXPECT_EQ(find_angle_row(7, 4, 2), 3);    // ends in either order
  EXPECT_EQ(find_angle_row(13, 1, 13), 67); // a listed row comes before the fallbacks
  EXPECT_EQ(find_angle_row(13, 2, 6), 21);  // hydrogen end on apex 2
  EXPECT_EQ(find_angle_row(16, 1, 13), 65); // hydrogen end on apex 1
  EXPECT_EQ(find_angle_row(13, 3, 1), 96);  // hydrogen end elsewhere: first row of the block
  EXPECT_EQ(find_angle_row(1, 29, 9), 199); // type-9 end on apex 29
  EXPECT_EQ(find_angle_row(9, 30, 1), 200); // type-9 end on apex 30
  EXPECT_EQ(find_angle_row(9, 30, 9), 201);
  EXPECT_EQ(find_angle_row(14, 2, 16), 7); // no special end: first row of the block
  EXPECT_EQ(find_angle_row(1, 29, 1), 0);  // apex-29 block has no generic row
  EXPECT_EQ(find_angle_row(13, 29, 9), 0); // the hydrogen rule comes first
  EXPECT_EQ(find_angle_row(1, 9, 1), 0);   // apex 9 has no block
  EXPECT_EQ(find_angle_row(1, 27, 1), 0);  // nor has apex 27
}

TEST(AngleLookup, GeometryGivesTheCurrentAngle) {
  const auto right = kelma::bend_parameters(1, 9, 1, 1.0, 1.0, std::sqrt(2.0));
  // The degree constant is the literal 57.295779513264755, a little above 180 / pi.
  EXPECT_NEAR(right.theta0, 90.0000000002866, 1e-12);
  EXPECT_EQ(right.k, 0.02);
  const auto listed = kelma::bend_parameters(13, 2, 6, 1.0, 1.0, std::sqrt(2.0));
  EXPECT_EQ(listed.theta0, 120.0);
  EXPECT_EQ(listed.k, 0.012);
  // A cosine just outside [-1, 1] from rounding is clamped; coincident atoms give 0.
  EXPECT_EQ(kelma::bend_angle(1.0, 1.0, 2.0000000001), std::acos(-1.0) * 57.295779513264755);
  EXPECT_EQ(kelma::bend_angle(1.0, 1.0, 0.0), 0.0);
  EXPECT_EQ(kelma::bend_angle(0.0, 1.0, 1.0), 0.0);
}

TEST(TorsionLookup, SectionsInOrderThenTheDefault) {
  EXPECT_EQ(find_torsion_row(9, 2, 1, 1, 1), 1);
  EXPECT_EQ(find_torsion_row(1, 1, 2, 9, 1), 1);    // exact rows read either way
  EXPECT_EQ(find_torsion_row(13, 2, 1, 13, 1), 12); // exact before central pair (row 28)
  EXPECT_EQ(find_torsion_row(2, 2, 1, 5, 1), 14);   // one end given: (a, 0)
  EXPECT_EQ(find_torsion_row(5, 2, 1, 2, 1), 17);   // (0, d)
  EXPECT_EQ(find_torsion_row(2, 1, 2, 5, 1), 17);   // reversed central pair
  EXPECT_EQ(find_torsion_row(5, 1, 2, 2, 1), 14);
  EXPECT_EQ(find_torsion_row(5, 2, 1, 5, 1), 28); // ends ignored in the last section
  EXPECT_EQ(find_torsion_row(5, 2, 2, 5, 2), 25);
  EXPECT_EQ(find_torsion_row(5, 2, 2, 5, 1), 26);
  EXPECT_EQ(find_torsion_row(1, 28, 2, 9, 4), 47);
  EXPECT_EQ(find_torsion_row(1, 7, 7, 1, 3), 0);
  const auto amide = kelma::torsion_parameters(5, 2, 2, 5, 2);
  EXPECT_EQ(amide.v, 12.5);
  EXPECT_EQ(amide.n, -2);
  const auto unmatched = kelma::torsion_parameters(1, 7, 7, 1, 3);
  EXPECT_EQ(unmatched.v, 0.20000000298023224);
  EXPECT_EQ(unmatched.n, 3);
}

} // namespace
