// Where molecules come from: MOL2 and XYZ files (one or many molecules each), keyword-input
// files used as they stand, and folders or lists of such files. Each molecule is prepared
// alone, so that one bad molecule never stops the others.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/keyword_writer.hpp"

namespace tools {

struct Prepared {
  std::string name;               // the molecule's name, or the file stem
  std::string origin;             // "file.mol2 molecule 3 (line 120)", for reports
  int atoms = -1;                 // -1 when unknown
  std::string input;              // the keyword input
  std::string mol2;               // the molecule's own MOL2 text, when there is one
  std::vector<std::string> notes; // type substitutions and the like
  std::string error;              // not empty: the molecule is skipped for this reason
};

// Every molecule of one file. ToolError when the file cannot be read or holds no molecule.
std::vector<Prepared> prepare_file(const std::filesystem::path& file, const JobOptions& options);

// The files named: a folder stands for its keyword inputs (*.in), or, when it has none, its
// MOL2 and XYZ files, in name order; list files hold one path per line (relative to the list).
std::vector<std::filesystem::path> expand_inputs(const std::vector<std::string>& paths,
                                                 const std::vector<std::string>& lists);

// The value of $natoms in a keyword input, -1 when it cannot be read.
int natoms_of(std::string_view input);

// The element labels of the atom lines (columns 54-55, trimmed) of a keyword input.
std::vector<std::string> input_elements(std::string_view input);

// File stems for the names, unique in the list and apart from the reserved names: a repeated
// stem gets "_2", "_3", ...
std::vector<std::string> unique_stems(const std::vector<Prepared>& molecules,
                                      const std::vector<std::string>& reserved = {});

} // namespace tools
