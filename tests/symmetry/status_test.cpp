#include "symmetry/status.hpp"

#include <gtest/gtest.h>

#include "support/channel_capture.hpp"

namespace {

using symmetry::Status;

TEST(Status, ReportWritesTheWarningOfAStatusThatHasOne) {
  test_support::ChannelCapture capture;
  symmetry::report(Status::ok);
  symmetry::report(Status::no_pair);
  EXPECT_EQ(capture.listing(), "");
  symmetry::report(Status::zero_matrix);
  symmetry::report(Status::closure_overflow);
  EXPECT_EQ(capture.listing(), " **WARNING** in SYMMETRY module\n"
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
