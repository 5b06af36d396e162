#include "symmetry/workspace.hpp"

#include <gtest/gtest.h>

namespace {

TEST(Workspace, RequestAndBlocksFollowTheLayout) {
  const int n = 4;
  EXPECT_EQ(symmetry::workspace_request(n), 9 * n + 840);
  symmetry::Workspace ws = symmetry::make_workspace(n);
  ASSERT_EQ(ws.words.size(), 876u);
  const symmetry::SearchWorkspace blocks = symmetry::search_blocks(ws, n);
  const double* words = ws.words.data();
  const int* integers = ws.integer_words.data();
  EXPECT_EQ(blocks.shell_positions.data(), words);
  EXPECT_EQ(blocks.distances.data(), words + 3 * n);
  EXPECT_EQ(blocks.shell_numbers.data(), integers + 5 * n);
  EXPECT_EQ(blocks.shell_sizes.data(), integers + 6 * n);
  EXPECT_EQ(blocks.axes.size(), 120u);
  EXPECT_EQ(blocks.type_codes.data(), integers + 7 * n + 360);
  EXPECT_EQ(blocks.inverses.data(), integers + 7 * n + 480);
  EXPECT_EQ(blocks.element_scratch.data(), integers + 7 * n + 840);
  EXPECT_EQ(blocks.element_scratch.size(), 4u);
  EXPECT_EQ(blocks.shell_symbols.size(), 4u);
}

} // namespace
