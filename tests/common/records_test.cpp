#include "common/records.hpp"
#include "common/result_records.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using common::format_f;
using common::format_i;
using common::free_real;

TEST(FixedFields, RealsRoundAndJustify) {
  EXPECT_EQ(format_f(0.0154710660, 16, 10), "    0.0154710660");
  EXPECT_EQ(format_f(-1.4828060165, 16, 10), "   -1.4828060165");
  EXPECT_EQ(format_f(0.026814, 8, 5), " 0.02681");
  EXPECT_EQ(format_f(0.011104559, 16, 9), "     0.011104559");
  // Ties go to the nearest even digit of the exact binary value: 0.125 is exact.
  EXPECT_EQ(format_f(0.125, 5, 2), " 0.12");
  EXPECT_EQ(format_f(0.375, 5, 2), " 0.38");
}

TEST(FixedFields, NegativeValuesRoundingToZeroKeepTheirSign) {
  EXPECT_EQ(format_f(-0.000001, 8, 5), "-0.00000");
  EXPECT_EQ(format_f(-0.4e-10, 16, 10), "   -0.0000000000");
  EXPECT_EQ(format_f(-0.0, 8, 5), "-0.00000");
  EXPECT_EQ(format_f(-0.000005, 7, 5), "-.00001"); // rounds away from zero, then fits
}

TEST(FixedFields, OverflowGivesAsterisks) {
  EXPECT_EQ(format_f(123456.0, 8, 5), "********");
  EXPECT_EQ(format_f(1.0e300, 16, 10), "****************");
  EXPECT_EQ(format_i(12345, 4), "****");
  EXPECT_EQ(format_i(-999, 3), "***");
  EXPECT_EQ(format_i(1000, 3), "***");
}

TEST(FixedFields, LeadingZeroIsDroppedOnlyWhenThatMakesItFit) {
  EXPECT_EQ(format_f(0.5, 7, 5), "0.50000");
  EXPECT_EQ(format_f(0.5, 6, 5), ".50000");
  EXPECT_EQ(format_f(-0.5, 7, 5), "-.50000");
}

TEST(FixedFields, FixedFormHasTheDigitsOfTheStandardLibrary) {
  // Values of every size (ties of few bits, random bits at every exponent the records meet and
  // beyond, subnormals, signed zeros) at every number of decimals the fast form takes and past it.
  std::mt19937_64 random(7);
  std::vector<double> values{0.0,
                             -0.0,
                             0.125,
                             -0.375,
                             2.5,
                             0.5e-10,
                             1.5e-10,
                             4503599627370495.5,
                             std::numeric_limits<double>::denorm_min(),
                             1.0e15,
                             -9.999999999e7};
  for (int k = 0; k < 20000; ++k) {
    const double unit = std::ldexp(static_cast<double>(random() >> 11), -53);
    const int exponent = static_cast<int>(random() % 140) - 90;
    values.push_back((k % 2 ? -1.0 : 1.0) * std::ldexp(unit, exponent));
    values.push_back(std::bit_cast<double>(random() & ~(std::uint64_t{1} << 62))); // finite
    values.push_back(std::ldexp(std::round(unit * 4096.0) + 0.5, -static_cast<int>(k % 40)));
  }
  char mine[common::fixed_chars_room];
  char theirs[common::fixed_chars_room];
  for (const double value : values) {
    for (int d = 0; d <= 19; ++d) {
      char* end = common::fixed_chars(mine, value, d);
      const auto expected =
          std::to_chars(theirs, theirs + sizeof theirs, value, std::chars_format::fixed, d);
      ASSERT_EQ(expected.ec, std::errc());
      ASSERT_NE(end, nullptr);
      ASSERT_EQ(std::string(mine, end), std::string(theirs, expected.ptr))
          << "value " << value << ", decimals " << d;
    }
  }
}

TEST(FixedFields, IntegersAndTexts) {
  EXPECT_EQ(format_i(7, 4), "   7");
  EXPECT_EQ(format_i(-12, 4), " -12");
  EXPECT_EQ(common::format_a("KELMA", 12), "       KELMA");
  EXPECT_EQ(common::format_a("ABCDEFGHIJKLMNOP", 12), "ABCDEFGHIJKL");
}

TEST(FreeFormat, RealsInFixedForm) {
  EXPECT_EQ(free_real(0.0154710660), "  0.015471066");
  EXPECT_EQ(free_real(-0.0414688281), " -0.0414688281");
  EXPECT_EQ(free_real(1.48280602), "  1.48280602");
  EXPECT_EQ(free_real(3.0), "  3.");
  EXPECT_EQ(free_real(100.0), "  100.");
  EXPECT_EQ(free_real(123456789.0), "  123456789.");
  EXPECT_EQ(free_real(0.0001), "  0.0001");
  EXPECT_EQ(free_real(1.0 / 3.0), "  0.333333333");
}

TEST(FreeFormat, RealsInExponentForm) {
  EXPECT_EQ(free_real(1.0e-5), "  1.E-05");
  EXPECT_EQ(free_real(-2.5e-7), " -2.5E-07");
  EXPECT_EQ(free_real(1.0e9), "  1.E+09");
  EXPECT_EQ(free_real(1.23456789012e10), "  1.23456789E+10");
  EXPECT_EQ(free_real(1.0e-100), "  1.E-100");
}

TEST(FreeFormat, RoundingDecidesTheExponent) {
  // 9.9999999999e-5 rounds to 1.00000000e-4, which is written in fixed form.
  EXPECT_EQ(free_real(9.9999999999e-5), "  0.0001");
  EXPECT_EQ(free_real(999999999.7), "  1.E+09");
}

TEST(ShortestReal, ReadsBackAsTheSameValue) {
  EXPECT_EQ(common::shortest_real(10.0), "10");
  EXPECT_EQ(common::shortest_real(0.5 * 1.3969405135702395), "0.6984702567851198");
  EXPECT_EQ(common::shortest_real(1.0e300), "1e+300");
  EXPECT_EQ(common::shortest_real(-2.5e-7), "-2.5e-07");
}

TEST(FreeFormat, ZeroHasNoSign) {
  EXPECT_EQ(free_real(0.0), "  0.");
  EXPECT_EQ(free_real(-0.0), "  0.");
}

TEST(FreeFormat, RecordsJoinTheirItems) {
  EXPECT_EQ(common::FreeRecord().item("** Error no. ").item(2).item(" in ").str(),
            " ** Error no.  2 in ");
  EXPECT_EQ(common::FreeRecord().item(-5).item(0.5).str(), " -5  0.5");
  EXPECT_EQ(common::FreeRecord()
                .item("**Matrix Inversion Failed**")
                .item("  Switching to Unit Hessian")
                .str(),
            " **Matrix Inversion Failed**  Switching to Unit Hessian");
}

TEST(FixedRecords, BuildFieldByField) {
  const auto record = common::Record()
                          .text("**  ")
                          .i(1, 4)
                          .text("  Energy:")
                          .f(0.011104559, 16, 9)
                          .text("   RMSG:")
                          .f(0.02681, 8, 5);
  EXPECT_EQ(record.str(), "**     1  Energy:     0.011104559   RMSG: 0.02681");
  EXPECT_EQ(common::Record().x(3).text("a").str(), "   a");
}

} // namespace

TEST(ResultRecords, WhatTheProgramsWriteReadsBack) {
  EXPECT_EQ(common::cycle_record(12, -0.0123456789, 0.00049),
            "**    12  Energy:    -0.012345679   RMSG: 0.00049");
  const auto cycle = common::read_cycle_record(common::cycle_record(12, -0.0123456789, 0.00049));
  ASSERT_TRUE(cycle);
  EXPECT_EQ(cycle->cycle, 12);
  EXPECT_EQ(cycle->energy, "-0.012345679");
  EXPECT_EQ(cycle->rms, "0.00049");
  EXPECT_FALSE(common::read_cycle_record("**  12 Energy lost"));

  std::string block;
  common::append_geometry_records(block, common::final_geometry_mark,
                                  std::vector<double>{1.25, -0.5, 0.0, 1.0e7, 0.0, 0.0});
  EXPECT_EQ(block, "!    1.2500000000   -0.5000000000    0.0000000000\n"
                   "!****************    0.0000000000    0.0000000000\n");
  const auto first = common::read_geometry_record(block.substr(0, block.find('\n')));
  ASSERT_TRUE(first);
  EXPECT_EQ(*first, (common::Vec3{1.25, -0.5, 0.0}));
  EXPECT_FALSE(common::read_geometry_record(block.substr(block.find('\n') + 1)));
  EXPECT_FALSE(common::read_geometry_record("@    1.0"));

  const auto group = common::read_point_group_record(common::point_group_record("c2v ", 3));
  EXPECT_EQ(group.label, "c2v");
  EXPECT_EQ(group.degrees, "3");
}
