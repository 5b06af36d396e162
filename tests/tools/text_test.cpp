#include "tools/core/field_text.hpp"
#include "tools/core/file_names.hpp"

#include <gtest/gtest.h>

#include "tools/core/status.hpp"

namespace {

// Whatever an input holds, a status line keeps its eleven fields and reads back.
TEST(PrintableLine, NoInputTextBreaksTheTable) {
  EXPECT_EQ(tools::printable_line("a\tb\nc\r\x01"), "a b c  ");
  EXPECT_EQ(tools::printable_line("caf\xe9 caf\xc3\xa9 \xed\xa0\x80"), "caf? caf\xc3\xa9 ???");
  EXPECT_EQ(tools::printable_line("\xc3\xa9\xc3\xa9\xc3\xa9", 6), "\xc3\xa9\xc3\xa9\xc3\xa9");
  EXPECT_EQ(tools::printable_line("\xc3\xa9\xc3\xa9\xc3\xa9", 5), "\xc3\xa9...");
  tools::StatusLine line{"name\twith tab", "-", "kelma", "skipped"};
  line.detail = std::string(5000, 'x') + "\n";
  const tools::StatusLine back = tools::parse_status(tools::status_tsv_line(line));
  EXPECT_EQ(back.molecule, "name with tab");
  EXPECT_EQ(back.detail.size(), tools::max_line_text);
  EXPECT_TRUE(back.detail.ends_with("xx..."));
}

// Long names are cut to a stem that still tells them apart.
TEST(FileStem, LongNamesStayUniqueAndShort) {
  const std::string a = std::string(300, 'a') + "1";
  const std::string b = std::string(300, 'a') + "2";
  EXPECT_EQ(tools::safe_file_stem(a).size(), tools::max_stem_length);
  EXPECT_NE(tools::safe_file_stem(a), tools::safe_file_stem(b));
  EXPECT_EQ(tools::safe_file_stem("../x y"), "mol.._x_y");
}

} // namespace
