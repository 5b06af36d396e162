// Molecules from any chemistry file Open Babel reads (the format from the file's extension or
// given by its Open Babel code) and from SMILES, each completed by perception. One file may
// hold any number of molecules.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/core/molecule.hpp"
#include "tools/formats/file_records.hpp"
#include "tools/formats/perception.hpp"

namespace tools {

struct ReadOptions {
  std::string format; // Open Babel format code ("sdf"); empty: from the file's extension
  PerceptionOptions perception;
  // Each molecule read and prepared in a child process (killed after time_limit_seconds when
  // that is above 0), so that a reader that crashes or hangs costs only that molecule. Only for
  // callers with no other thread running.
  bool isolated = false;
  int time_limit_seconds = 0;
};

struct ReadMolecule {
  std::string name; // the molecule's title in the file, or the name it is given
  int index = 0;    // 1-based place in the file
  Molecule molecule;
  std::string mol2; // the completed molecule as MOL2 text: the template of the results
  Notes notes;
  std::string error; // not empty: the molecule cannot be run, for this reason
};

// The molecules of a file in order, each handed to take as soon as it is read, those without a
// title named by the file's stem. A record that does not hold together, or that Open Babel cannot
// read, is an entry that gives the reason, and reading goes on with the next record (in formats
// without a record splitter, it ends the file). ToolError when the format is unknown, the file
// cannot be opened or it holds no molecule.
void read_molecules(const std::filesystem::path& file, const ReadOptions& options,
                    const std::function<void(ReadMolecule&&)>& take);
// All of them at once.
std::vector<ReadMolecule> read_molecules(const std::filesystem::path& file,
                                         const ReadOptions& options);

// How the records of a file are cut (RecordReader); ToolError when Open Babel reads no such format.
RecordLayout file_layout(const std::filesystem::path& file, const ReadOptions& options);

// The molecules of one record that a RecordReader cut from the file (its format from the file's
// extension or the options), read in this process: one for a split record, all of the file for a
// format without a splitter. A record that cannot be read is an entry that gives the reason.
std::vector<ReadMolecule> read_molecules(const std::filesystem::path& file,
                                         const FileRecord& record, const ReadOptions& options);

// The molecule of a SMILES string, given the name (hydrogens added and 3D coordinates built
// by default).
ReadMolecule read_smiles(std::string_view smiles, const std::string& name,
                         const ReadOptions& options);

// Whether Open Babel reads files with this file's extension.
bool is_chemistry_file(const std::filesystem::path& file);

} // namespace tools
