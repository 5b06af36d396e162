// ffreport's reading of a batch: the problems and the order it takes from status.tsv, the atoms of
// SDF records, and a streamed batch's geometries handed to their molecules.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "support/scratch_folder.hpp"
#include "tools/core/files.hpp"
#include "tools/report/batch_report.hpp"
#include "tools/report/report_data.hpp"
#include "tools/report/sdf_atoms.hpp"
#include "tools/report/stream_batch.hpp"

namespace {

namespace fs = std::filesystem;

struct Atom {
  const char* symbol;
  double x, y, z;
};

const std::vector<Atom> water{
    {"O", 0.0, 0.0, 0.1173}, {"H", 0.0, 0.7572, -0.4692}, {"H", 0.0, -0.7572, -0.4692}};

// A V2000 record as Open Babel writes one, bonds left out.
std::string v2000(const std::string& title, const std::vector<Atom>& atoms) {
  std::string text = title + "\n OpenBabel\n\n";
  char line[96];
  std::snprintf(line, sizeof line, "%3zu  0  0  0  0  0  0  0  0  0999 V2000\n", atoms.size());
  text += line;
  for (const Atom& a : atoms) {
    std::snprintf(line, sizeof line, "%10.4f%10.4f%10.4f %-3s 0  0  0  0  0  0  0  0  0  0  0  0\n",
                  a.x, a.y, a.z, a.symbol);
    text += line;
  }
  return text + "M  END\n$$$$\n";
}

tools::StatusLine line(std::string molecule, std::string program, std::string outcome,
                       std::string cycles = "-", std::string rms = "-") {
  tools::StatusLine row{std::move(molecule), "3", std::move(program), std::move(outcome)};
  row.cycles = std::move(cycles);
  row.rms = std::move(rms);
  row.seconds = "0.25";
  row.no_parameter = row.notes = "none";
  return row;
}

TEST(SdfAtoms, BothConnectionTablesAndADamagedRecordBetweenThem) {
  const std::string v3000 = "big\n OpenBabel\n\n  0  0  0     0  0            999 V3000\n"
                            "M  V30 BEGIN CTAB\nM  V30 COUNTS 2 1 0 0 0\nM  V30 BEGIN ATOM\n"
                            "M  V30 1 Cl 1.5 -2.25 0 0\nM  V30 2 C 0 0 0 0\nM  V30 END ATOM\n"
                            "M  V30 END CTAB\nM  END\n$$$$\n";
  const std::string damaged = "bad\n\n\n  1  0  0  0  0  0  0  0  0  0999 V2000\n"
                              "    0.0000    x.0000    0.0000 O   0\n";
  // The last record lacks its "$$$$" line, as a file cut short would.
  std::string last = v2000("last", water);
  last.resize(last.size() - 5);
  const auto records =
      tools::read_sdf_atoms(v2000("water", water) + v3000 + damaged + "$$$$\n" + last);
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0].title, "water");
  EXPECT_EQ(records[0].symbols, (std::vector<std::string>{"O", "H", "H"}));
  EXPECT_DOUBLE_EQ(records[0].positions[1][1], 0.7572);
  EXPECT_EQ(records[1].symbols, (std::vector<std::string>{"Cl", "C"}));
  EXPECT_DOUBLE_EQ(records[1].positions[0][1], -2.25);
  EXPECT_EQ(records[2].error, "atom 1 cannot be read");
  EXPECT_TRUE(records[2].positions.empty());
  EXPECT_EQ(records[3].positions.size(), 3u);
}

TEST(MoleculeEntries, ProblemsAreWhatTheStatusLinesSay) {
  auto covered = line("a", "kelma", "converged", "12", "0.00010");
  covered.no_parameter = "bonds 1, torsions 5";
  covered.notes = "hydrogens added";
  auto fallback = line("a", "symmetry", "point group c1");
  fallback.no_parameter = covered.no_parameter;
  fallback.notes = covered.notes;
  fallback.detail = "point group search failed: fell back to c1 (the listing names no cause); C1";
  auto crashed = line("b", "symmetry", "failed: signal 9");
  crashed.detail = "its worker was killed";
  const auto molecules =
      tools::molecule_entries({covered, fallback, line("b", "kelma", "converged", "3", "0.00001"),
                               crashed, line("a", "kelma", "cycle limit", "99", "0.00300")});
  ASSERT_EQ(molecules.size(), 3u); // "a" again after "b" is another molecule
  EXPECT_EQ(molecules[0].problems,
            (std::vector<std::string>{"no parameter: bonds 1, torsions 5", "notes: hydrogens added",
                                      "symmetry: " + fallback.detail}));
  EXPECT_EQ(molecules[0].group, "c1");
  EXPECT_DOUBLE_EQ(molecules[0].seconds, 0.5);
  EXPECT_EQ(molecules[1].problems,
            (std::vector<std::string>{"symmetry: failed: signal 9 (its worker was killed)"}));
  EXPECT_TRUE(molecules[2].problems.empty());
  EXPECT_EQ(molecules[2].outcome, tools::Outcome::cycle_limit);
}

TEST(MoleculeEntries, WorstFirstByClassThenForceThenCycles) {
  const auto molecules = tools::molecule_entries(
      {line("fine", "kelma", "converged", "10", "0.00001"),
       line("stuck", "kelma", "cycle limit", "500", "0.00200"),
       line("loose", "kelma", "converged", "10", "0.00040"),
       line("broken", "kelma", "numbered report"),
       line("long", "kelma", "converged", "90", "0.00001"), line("left out", "-", "skipped"),
       line("stuck harder", "kelma", "cycle limit", "500", "0.01")});
  std::vector<std::string> order;
  for (const std::size_t k : tools::worst_first(molecules))
    order.push_back(molecules[k].name);
  EXPECT_EQ(order, (std::vector<std::string>{"broken", "left out", "stuck harder", "stuck", "loose",
                                             "long", "fine"}));
}

class StreamedFolder : public ::testing::Test {
protected:
  support::ScratchFolder scratch{"stream_report_test"};
  const fs::path& folder = scratch.path();
  void write(const std::string& name, const std::string& text) {
    tools::write_file_atomic(folder / name, text);
  }
};

TEST_F(StreamedFolder, GeometriesGoToTheirMoleculesInOrder) {
  // Shard 1: "w" without a geometry (no cycles), then "w_2", whose record is titled "w" too, a
  // skipped molecule and a C1 one whose record is missing. Shard 2 uses the name "w" again.
  std::vector<tools::StatusLine> rows{line("w", "kelma", "input error"),
                                      line("w_2", "kelma", "converged", "8", "0.00001"),
                                      line("w_2", "symmetry", "point group c2v"),
                                      line("left out", "-", "skipped"),
                                      line("lost", "kelma", "converged", "8", "0.00001"),
                                      line("lost", "symmetry", "point group c1"),
                                      line("w", "kelma", "converged", "8", "0.00001"),
                                      line("w", "symmetry", "point group c1")};
  write("status.tsv", tools::status_header() + "\n" + tools::status_tsv_lines(rows));
  EXPECT_FALSE(tools::is_streamed_batch(folder));
  write("shard-000001.sdf", v2000("w", water));
  write("shard-000002.sdf", v2000("w", water));
  ASSERT_TRUE(tools::is_streamed_batch(folder));
  const auto molecules = tools::read_stream(folder);
  ASSERT_EQ(molecules.size(), 5u);
  EXPECT_FALSE(molecules[0].elements);
  ASSERT_TRUE(molecules[1].elements);
  EXPECT_EQ(molecules[1].elements->group, "c2v"); // found again on the record's atoms
  EXPECT_EQ(molecules[1].elements->plane_normals.size(), 2u);
  EXPECT_TRUE(molecules[1].file_problems.empty());
  EXPECT_EQ(molecules[3].file_problems,
            (std::vector<std::string>{"no geometry in the shards' SDF files"}));
  // A C1 molecule is drawn as it is, centred, without a search.
  ASSERT_TRUE(molecules[4].elements);
  EXPECT_TRUE(molecules[4].elements->axes.empty());
  EXPECT_NEAR(molecules[4].elements->positions[0][2], 0.1173 - (0.1173 - 2 * 0.4692) / 3, 1e-12);
}

TEST(ReportData, ChunksHoldTheirMoleculesAndRowsShareTheirTexts) {
  std::vector<tools::MoleculeEntry> molecules(tools::section_chunk_size + 2);
  molecules[0].problems = molecules[1].problems = {"no parameter: torsions 2"};
  ASSERT_EQ(tools::chunk_count(molecules.size()), 2u);
  const std::string second = tools::section_chunk(molecules, 1);
  EXPECT_TRUE(second.starts_with("reportChunk(1,[{\"viewer\":null,"));
  std::size_t sections = 0;
  for (std::size_t at = second.find("\"viewer\""); at != std::string::npos;
       at = second.find("\"viewer\"", at + 1))
    ++sections;
  EXPECT_EQ(sections, 2u);
  const std::string table = tools::table_data(molecules, "files/sections/");
  EXPECT_EQ(table.find("no parameter"), table.rfind("no parameter"));
}

} // namespace
