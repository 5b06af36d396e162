#include "kelma/workspace.hpp"

#include <gtest/gtest.h>

namespace {

TEST(Workspace, NeedFollowsTheBlockLayout) {
  EXPECT_EQ(kelma::workspace_need(3, 1, 0, 0), 12 * 9 + 27 + 5);
  EXPECT_EQ(kelma::workspace_need(3, 1, 0, 1), 21 * 9 + 27 + 5);
  for (int jobtype : {0, 1}) {
    const kelma::Workspace ws = kelma::make_workspace(4, 2, 3, jobtype);
    EXPECT_EQ(kelma::workspace_size(ws), kelma::workspace_need(4, 2, 3, jobtype));
    EXPECT_EQ(ws.hess.size(), 144u);
  }
}

} // namespace
