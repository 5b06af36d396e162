// A chemistry file cut into the records of its molecules by the format's own delimiters, before
// any chemistry reader sees them: SDF and MOL records end at "$$$$", MOL2 records start at
// "@<TRIPOS>MOLECULE", PDB models end at END or ENDMDL, XYZ blocks are counted by their first
// line, SMILES files hold one molecule a line. Each record is checked on its own (its counts,
// atoms and bonds must hold together, its elements must exist), so that a damaged record is
// reported with its number and the reason and every other record is still read. Formats without
// a splitter here are read as one record.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <string_view>

namespace tools {

enum class RecordLayout { sdf, mol2, pdb, xyz, smiles, whole };

// The layout of an Open Babel format code ("sdf", "mol2", "smi", ...); whole for the others.
RecordLayout record_layout(std::string_view format_code);

struct FileRecord {
  int index = 0;      // 1-based place of the molecule in the file
  int first_line = 0; // 1-based line of the file where the record starts
  std::string title;  // the title the record gives, as written; empty when it gives none
  std::string text;   // the record's lines, each ended by a line feed
  std::string damage; // not empty: why the record cannot be read as a molecule
};

// Reads the records of one file in order, one at a time, so that a file of any length is read in
// the memory of one record. Lines are cut at max_line_length: a longer line damages its record.
class RecordReader {
public:
  RecordReader(std::istream& in, RecordLayout layout);

  // The next record; nullopt at the end of the file. Blank lines between records are skipped,
  // except in an SDF, where the first line of a record is its title, blank or not.
  std::optional<FileRecord> next();

  // Longer lines are damage in every format: no molecule needs them, and some readers loop on
  // them.
  static constexpr std::size_t max_line_length = 16384;

private:
  struct Line {
    std::string text;
    int number = 0;
    bool overlong = false;
  };

  bool read_line(Line& line);
  bool peek_line(Line& line);
  bool skips_before_record(std::string_view line) const;
  void collect_until_end_mark(FileRecord& record, bool (*ends)(std::string_view));
  void collect_mol2(FileRecord& record);
  void collect_xyz(FileRecord& record);
  void collect_smiles(FileRecord& record, const Line& line);
  void add_line(FileRecord& record, const Line& line);

  std::istream& in_;
  RecordLayout layout_;
  int line_number_ = 0;
  int records_ = 0;
  std::optional<Line> pushed_back_;
};

} // namespace tools
