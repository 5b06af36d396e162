// Where molecules come from: chemistry files of any format Open Babel reads (one or many
// molecules each), SMILES given on the command line, keyword-input files used as they stand, and
// folders or lists of such files. Each molecule is prepared alone, so that one bad molecule never
// stops the others.
#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tools/core/cli.hpp"
#include "tools/core/keyword_text.hpp"
#include "tools/core/keyword_writer.hpp"
#include "tools/formats/chemistry_reader.hpp"

namespace tools {

struct PreparedMolecule {
  std::string name;               // the molecule's name, or the file stem
  std::string origin;             // "file.sdf molecule 3", for reports
  int atoms = -1;                 // -1 when unknown
  std::string input;              // the keyword input
  std::string mol2;               // the molecule as MOL2, the template of its results, if known
  std::vector<std::string> notes; // perceived bonds, guessed types, parameter coverage, ...
  std::string coverage = "-";     // the status.tsv columns of the parameter coverage
  std::string note_tags = "-";    // and of the notes' tags
  std::string error;              // not empty: the molecule is skipped for this reason
};

struct SmilesInput {
  std::string smiles;
  std::string name; // empty: the SMILES names the molecule
};

// How long the reading and preparation of one molecule may take, unless --timeout says.
inline constexpr int default_preparation_seconds = 60;

// How molecules are read and which are refused. Each molecule is read and prepared in a child
// process that is killed after time_limit_seconds, so that a reader that crashes or hangs costs
// only that molecule.
struct MoleculeOptions {
  ReadOptions read;
  bool strict = false; // refuse molecules with terms that have no parameter
  std::vector<SmilesInput> smiles;
  int time_limit_seconds = default_preparation_seconds;
};

// Takes the molecule flag (-i, --smiles, --name, --add-hydrogens, --retype, --strict) and its
// value from args. False when flag is not one of them; ToolError for a value that does not fit.
bool set_molecule_option(MoleculeOptions& options, std::string_view flag, Arguments& args);

// The flags set_molecule_option takes, for the usage texts.
std::string molecule_option_usage();

// Every molecule of the files, then those of the SMILES of the options. A keyword input (a .in
// file, or one whose first non-blank line starts with '$') stands as it is; any other file is
// read through Open Babel. A file that cannot be read gives one skipped entry; ToolError only
// for a file that does not exist.
// Each molecule is handed to take as soon as it is prepared, in that order.
void prepare_molecules(const std::vector<std::filesystem::path>& files, const JobOptions& job,
                       const MoleculeOptions& options,
                       const std::function<void(PreparedMolecule&&)>& take);
std::vector<PreparedMolecule> prepare_molecules(const std::vector<std::filesystem::path>& files,
                                                const JobOptions& job,
                                                const MoleculeOptions& options);

// Writes to err, one printable line each, what the preparation of the molecule noted and, when
// it is skipped, why: "TOOL: ORIGIN: NOTE" and "TOOL: ORIGIN: REASON; skipped".
void report_preparation(std::ostream& err, std::string_view tool, const PreparedMolecule& molecule);

// The files named: a folder stands for its keyword inputs (*.in), or, when it has none, its
// chemistry files, in name order; list files hold one path per line (relative to the list).
std::vector<std::filesystem::path> expand_inputs(const std::vector<std::string>& paths,
                                                 const std::vector<std::string>& lists);

// File stems for molecule names, unique among those given out and apart from the reserved
// names: a repeated stem gets "_2", "_3", ...
class UniqueStems {
public:
  explicit UniqueStems(const std::vector<std::string>& reserved = {});
  std::string take(std::string_view name);

private:
  std::set<std::string> taken_;
};

// The stems of the names of a list, in order.
std::vector<std::string> unique_stems(const std::vector<PreparedMolecule>& molecules,
                                      const std::vector<std::string>& reserved = {});

} // namespace tools
