#include "symmetry/status.hpp"

#include <gtest/gtest.h>

#include "common/channels.hpp"

namespace {

using symmetry::Status;

TEST(Status, ReportWritesTheWarningOfAStatusThatHasOne) {
  common::RunContext run("", common::UnitsTo::memory);
  symmetry::report(run, Status::ok);
  symmetry::report(run, Status::no_pair);
  EXPECT_EQ(run.text(common::listing_unit), "");
  symmetry::report(run, Status::zero_matrix);
  symmetry::report(run, Status::closure_overflow);
  EXPECT_EQ(run.text(common::listing_unit),
            " **WARNING** in SYMMETRY module\n"
            "   Attempting to Diagonalize Zero Matrix\n"
            " **WARNING** in SYMMETRY module\n"
            "   Number of operations found greater than maximum 120 0\n");
}

TEST(Status, WarningsOnlyAreNoFailures) {
  for (const Status s :
       {Status::ok, Status::zero_matrix, Status::missing_c3_axis_ih, Status::missing_c3_axis_i})
    EXPECT_FALSE(symmetry::failed(s));
  for (const Status s : {Status::no_convergence, Status::missing_c2_axis_t, Status::line_broken})
    EXPECT_TRUE(symmetry::failed(s));
}

} // namespace
