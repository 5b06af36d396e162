// A molecule made ready to run: a read molecule (or a keyword input as it stands) turned into the
// keyword input, the template and the notes of a PreparedMolecule entry.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "tools/core/keyword_writer.hpp"
#include "tools/formats/chemistry_reader.hpp"
#include "tools/formats/sources.hpp"

namespace tools {

// "file.sdf molecule 3", for reports.
std::string origin_of(const std::filesystem::path& file, int index);

// The keyword input, the coverage and the notes of a molecule that was read; any reason to skip
// it lands in error.
PreparedMolecule prepare_read_molecule(ReadMolecule read, std::string origin, const JobOptions& job,
                                       const MoleculeOptions& options);

// The one entry of a file that gives no molecule, skipped for the reason.
PreparedMolecule skipped_file(const std::filesystem::path& file, const std::string& reason);

// A keyword input runs as it stands; a MOL2 file beside it is its template.
PreparedMolecule prepare_keyword_input(const std::filesystem::path& file, std::string input);

// Whether the file's extension is the given one (".in"), in any case.
bool has_extension(const std::filesystem::path& file, std::string_view extension);

// A keyword input: a .in file, or one whose first line that is not blank starts with '$'.
bool is_keyword_input(const std::filesystem::path& file);

} // namespace tools
