#include "common/keyword_input.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <vector>

#include "common/termination.hpp"

namespace {

using common::InputDeck;

struct Values {
  int ival = -7;
  double rval = -7.0;
  std::string cval = "untouched";
};

Values read(common::RunContext& run, const std::string& text, std::string_view key, int kind) {
  std::istringstream in(text);
  InputDeck deck(in);
  Values v;
  common::rdcntrl(run, deck, static_cast<int>(key.size()), key, kind, v.ival, v.rval, v.cval);
  return v;
}

// The same on a run of its own, for readings that write nothing.
Values read(const std::string& text, std::string_view key, int kind) {
  common::RunContext run("", common::UnitsTo::memory);
  return read(run, text, key, kind);
}

TEST(InputDeck, RecordsAreEightyColumnsAndAcceptCrlf) {
  std::istringstream in("abc\r\n" + std::string(90, 'x') + "\nlast without newline");
  InputDeck deck(in);
  std::string record;
  ASSERT_TRUE(deck.next(record));
  EXPECT_EQ(record, "abc" + std::string(77, ' '));
  ASSERT_TRUE(deck.next(record));
  EXPECT_EQ(record, std::string(80, 'x'));
  ASSERT_TRUE(deck.next(record));
  EXPECT_EQ(record.substr(0, 20), "last without newline");
  EXPECT_EQ(deck.line_number(), 3);
  EXPECT_FALSE(deck.next(record));
}

// Every record of the deck, up to the end of the input.
std::vector<std::string> records(InputDeck& deck) {
  std::vector<std::string> all;
  std::string record;
  while (deck.next(record))
    all.push_back(record);
  return all;
}

TEST(InputDeck, ACStreamGivesTheRecordsOfAStream) {
  for (const std::string& text : std::vector<std::string>{
           "abc\r\nlast without newline", std::string("a\0b\n\n\nc\n", 8), "", "\n", "\r"}) {
    std::istringstream in(text);
    InputDeck from_stream(in);
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
    InputDeck from_file(file);
    EXPECT_EQ(records(from_file), records(from_stream)) << text;
    std::fclose(file);
  }
}

TEST(Rdcntrl, ReadsEachKindAndLeavesTheOthersUntouched) {
  const Values i = read("# comment\n$natoms 12\n", "$natoms", common::kind_integer);
  EXPECT_EQ(i.ival, 12);
  EXPECT_EQ(i.rval, -7.0);
  EXPECT_EQ(i.cval, "untouched");
  EXPECT_EQ(read("$gtol 0.0005, ignored\n", "$gtol", common::kind_real).rval, 0.0005);
  EXPECT_EQ(read("$etol 1.0D-6\n", "$etol", common::kind_real).rval, 1.0e-6);
  EXPECT_EQ(read("$vdwc 8\n", "$vdwc", common::kind_real).rval, 8.0);
  const Values p = read("$coordinates\n", "$coordinates", common::kind_position);
  EXPECT_EQ(p.ival, -7);
}

TEST(Rdcntrl, KeywordMatchesOnItsOwnLengthOnly) {
  EXPECT_EQ(read("$natoms12\n", "$natoms", common::kind_integer).ival, 12);
  EXPECT_EQ(read("$print2 3\n", "$print", common::kind_integer).ival, 2);
}

TEST(Rdcntrl, TextValuesAreCutToTwentyColumnsAndSqueezed) {
  const Values t = read("$fftype Tripos 5.2\n", "$fftype", common::kind_text);
  EXPECT_EQ(t.cval, "Tripos5.2" + std::string(11, ' '));
  EXPECT_EQ(t.ival, 9);
  // Columns 8..27 hold " a b c d e f g h i j"; the rest of the line is cut off first.
  const Values cut = read("$fftype a b c d e f g h i j k l m\n", "$fftype", common::kind_text);
  EXPECT_EQ(cut.ival, 10);
  EXPECT_EQ(cut.cval.substr(0, 10), "abcdefghij");
  EXPECT_EQ(read("$fftype\n", "$fftype", common::kind_text).ival, 0);
}

TEST(Rdcntrl, MissingKeywordIsErrorTwo) {
  common::RunContext run("*** KELMA Error Termination ***", common::UnitsTo::memory);
  try {
    read(run, "$natoms 3\n$GTOL 1.0\n", "$gtol", common::kind_real);
    FAIL() << "no stop";
  } catch (const common::RunStop& stop) {
    EXPECT_EQ(stop.code, "*** KELMA Error Termination ***");
  }
  EXPECT_EQ(run.text(common::listing_unit), " ** Error no.  2 in File IO routine <rdcntrl> **\n"
                                            "  Unable to find Keyword $gtol in <ffdata> file \n");
}

TEST(Rdcntrl, KeywordsOutOfOrderAreMissedLater) {
  std::istringstream in("$print 1\n$natoms 3\n");
  InputDeck deck(in);
  Values v;
  common::RunContext run("", common::UnitsTo::memory);
  common::rdcntrl(run, deck, 7, "$natoms", common::kind_integer, v.ival, v.rval, v.cval);
  EXPECT_THROW(
      common::rdcntrl(run, deck, 6, "$print", common::kind_integer, v.ival, v.rval, v.cval),
      common::RunStop);
}

TEST(Rdcntrl, UnreadableValuesAreInputErrors) {
  for (const char* line : {"$natoms\n", "$natoms ,3\n", "$natoms 1.5\n", "$natoms abc\n",
                           "$natoms 2147483648\n", "$natoms 3*5\n", "$natoms\t3\n"}) {
    EXPECT_THROW(read(line, "$natoms", common::kind_integer), common::InputError) << line;
  }
  for (const char* line : {"$gtol 8.0x\n", "$gtol inf\n", "$gtol nan\n", "$gtol /\n",
                           "$gtol 1e999\n", "$gtol .\n", "$gtol 1e\n"}) {
    EXPECT_THROW(read(line, "$gtol", common::kind_real), common::InputError) << line;
  }
  EXPECT_EQ(read("$natoms -2147483648\n", "$natoms", common::kind_integer).ival, -2147483647 - 1);
}

TEST(FixedFields, RealFieldRules) {
  double v = -1.0;
  EXPECT_TRUE(common::read_fixed_real("    1.2500000000", v));
  EXPECT_EQ(v, 1.25);
  EXPECT_TRUE(common::read_fixed_real("               1", v));
  EXPECT_EQ(v, 1.0e-10);
  EXPECT_TRUE(common::read_fixed_real("              1.", v));
  EXPECT_EQ(v, 1.0);
  EXPECT_TRUE(common::read_fixed_real("            15E2", v));
  EXPECT_EQ(v, 1.5e-7);
  EXPECT_TRUE(common::read_fixed_real("   -1 . 5 D+1   ", v));
  EXPECT_EQ(v, -15.0);
  EXPECT_TRUE(common::read_fixed_real("                ", v));
  EXPECT_EQ(v, 0.0);
  EXPECT_TRUE(common::read_fixed_real("0.1", v));
  EXPECT_EQ(v, 0.1);
  for (const char* bad : {"nan", "Infinity", "1.0E300000", "abc", "1.2.3", "1-2", "+"}) {
    EXPECT_FALSE(common::read_fixed_real(bad, v)) << bad;
  }
}

TEST(FixedFields, IntegerFieldRules) {
  int t = -1;
  EXPECT_TRUE(common::read_fixed_int("   ", t));
  EXPECT_EQ(t, 0);
  EXPECT_TRUE(common::read_fixed_int(" 1 3", t));
  EXPECT_EQ(t, 13);
  EXPECT_FALSE(common::read_fixed_int(" C ", t));
}

TEST(AtomLines, KelmaReadsCoordinatesAndTypes) {
  std::istringstream in("$natoms 2\n$coordinates\n"
                        "    0.0316113612    0.0055574267   -0.0146734814     C   1\n"
                        "               1              1.                     H    \n");
  InputDeck deck(in);
  std::vector<double> xyz(6);
  std::vector<int> types(2);
  common::getcoord2(deck, 2, xyz, types);
  EXPECT_EQ(xyz[0], 0.0316113612);
  EXPECT_EQ(xyz[2], -0.0146734814);
  EXPECT_EQ(xyz[3], 1.0e-10);
  EXPECT_EQ(xyz[4], 1.0);
  EXPECT_EQ(xyz[5], 0.0);
  EXPECT_EQ(types[0], 1);
  EXPECT_EQ(types[1], 0);
}

TEST(AtomLines, SymmetryKeepsTheLabelAsItStands) {
  std::istringstream in("$coordinates\n"
                        "    0.0000000000    0.0000000000    0.0000000000     He\n"
                        "    1.0000000000    0.0000000000    0.0000000000      H\n");
  InputDeck deck(in);
  std::vector<double> xyz(6);
  std::vector<std::string> labels;
  common::getcoord1(deck, 2, xyz, labels);
  ASSERT_EQ(labels.size(), 2u);
  EXPECT_EQ(labels[0], "He      ");
  EXPECT_EQ(labels[1], " H      ");
}

TEST(AtomLines, DamagedSectionsAreInputErrors) {
  std::vector<double> xyz(6);
  std::vector<int> types(2);
  const auto read_atoms = [&](const std::string& text) {
    std::istringstream in(text);
    InputDeck deck(in);
    common::getcoord2(deck, 2, xyz, types);
  };
  EXPECT_THROW(read_atoms("$natoms 2\n"), common::InputError);
  EXPECT_THROW(read_atoms("$coordinates\n    1.0\n"), common::InputError);
  EXPECT_THROW(read_atoms("$coordinates\n    x.0\n\n"), common::InputError);
  EXPECT_THROW(read_atoms("$coordinates\n\n" + std::string(55, ' ') + "C\n"), common::InputError);
  // Beyond a million Angstrom no record can show the value and distances overflow.
  EXPECT_THROW(read_atoms("$coordinates\n         1.0E300\n\n"), common::InputError);
  EXPECT_NO_THROW(read_atoms("$coordinates\n       1000000.0\n\n"));
}

TEST(Connectivity, BondsAreStoredBothWays) {
  std::istringstream in("$connectivity\n3 1 2\n1,2,1 extra\n 2 , 3 , 1\n1 2 4\n$end\n");
  InputDeck deck(in);
  std::vector<int> conn(9, 99);
  common::getconn(deck, 3, conn);
  const auto at = [&](int i, int j) {
    return conn[static_cast<std::size_t>((i - 1) + (j - 1) * 3)];
  };
  EXPECT_EQ(at(3, 1), 2);
  EXPECT_EQ(at(1, 3), 2);
  EXPECT_EQ(at(1, 2), 4);
  EXPECT_EQ(at(2, 1), 4);
  EXPECT_EQ(at(2, 3), 1);
  EXPECT_EQ(at(1, 1), 0);
}

TEST(Connectivity, DamagedBondLinesAreInputErrors) {
  for (const char* text :
       {"$connectivity\n1 2\n$end\n", "$connectivity\n\n$end\n", "$connectivity\n1 4 1\n$end\n",
        "$connectivity\n0 1 1\n$end\n", "$connectivity\na b c\n$end\n", "$connectivity\n1 2 1\n",
        "no section\n"}) {
    std::istringstream in(text);
    InputDeck deck(in);
    std::vector<int> conn(9);
    EXPECT_THROW(common::getconn(deck, 3, conn), common::InputError) << text;
  }
}

TEST(Rmblank, SqueezesOnlyBlanks) {
  std::string text = " a\tb  c ";
  int count = 0;
  common::rmblank(8, text, count);
  EXPECT_EQ(text, "a\tbc    ");
  EXPECT_EQ(count, 4);
}

} // namespace
