#include "tools/formats/preparation.hpp"

#include <algorithm>
#include <cctype>
#include <fstream>

#include "tools/core/coverage.hpp"
#include "tools/core/files.hpp"
#include "tools/core/tokens.hpp"
#include "tools/core/tool_error.hpp"

namespace tools {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view keyword_mark = "$";

// The start of a file: enough to tell a keyword input by its first line that is not blank,
// without reading a large chemistry file whole.
std::string read_start(const fs::path& file) {
  constexpr std::size_t start_bytes = 65536;
  std::ifstream in(file, std::ios::binary);
  std::string text(start_bytes, '\0');
  in.read(text.data(), static_cast<std::streamsize>(start_bytes));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return text;
}

} // namespace

bool has_extension(const fs::path& file, std::string_view extension) {
  std::string ext = file.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return ext == extension;
}

std::string origin_of(const fs::path& file, int index) {
  return file.filename().string() + " molecule " + std::to_string(index);
}

PreparedMolecule prepare_read_molecule(ReadMolecule read, std::string origin, const JobOptions& job,
                                       const MoleculeOptions& options) {
  PreparedMolecule prepared;
  prepared.name = std::move(read.name);
  prepared.origin = std::move(origin);
  prepared.mol2 = std::move(read.mol2);
  prepared.notes = std::move(read.notes.lines);
  prepared.note_tags = read.notes.column();
  prepared.error = std::move(read.error);
  if (!prepared.error.empty())
    return prepared;
  const Molecule& molecule = read.molecule;
  prepared.atoms = static_cast<int>(molecule.atoms.size());
  const Coverage coverage = parameter_coverage(molecule);
  prepared.coverage = coverage.column();
  if (!coverage.complete())
    prepared.notes.push_back(coverage.summary());
  try {
    if (options.strict && !coverage.complete())
      throw ToolError("--strict: some terms have no parameter");
    prepared.input = keyword_input(molecule, job, prepared.origin);
  } catch (const ToolError& e) {
    prepared.error = e.what();
  }
  return prepared;
}

PreparedMolecule skipped_file(const fs::path& file, const std::string& reason) {
  PreparedMolecule skipped;
  skipped.name = file.stem().string();
  skipped.origin = file.filename().string();
  skipped.error = reason;
  return skipped;
}

PreparedMolecule prepare_keyword_input(const fs::path& file, std::string input) {
  PreparedMolecule prepared;
  prepared.name = file.stem().string();
  prepared.origin = file.filename().string();
  prepared.input = std::move(input);
  prepared.atoms = natoms_of(prepared.input);
  fs::path beside = file;
  beside.replace_extension(".mol2");
  if (fs::exists(beside))
    prepared.mol2 = read_file(beside);
  return prepared;
}

bool is_keyword_input(const fs::path& file) {
  if (has_extension(file, ".in"))
    return true;
  for (const std::string& line : split_lines(read_start(file)))
    if (!trim(line).empty())
      return trim(line).starts_with(keyword_mark);
  return false;
}

} // namespace tools
