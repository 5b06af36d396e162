#include "tools/chemistry_reader.hpp"

#include <fstream>
#include <iterator>

#include <openbabel/mol.h>
#include <openbabel/obconversion.h>

#include "tools/babel_messages.hpp"
#include "tools/chemistry_writer.hpp"

namespace tools {

namespace fs = std::filesystem;

namespace {

using OpenBabel::OBConversion;
using OpenBabel::OBFormat;
using OpenBabel::OBMol;

constexpr const char* smiles_format = "smi";
// The readers of formats without bonds (XYZ, PDB without CONECT) would perceive bonds quietly;
// "b" stops them, so that perception happens in one place that reports it.
constexpr const char* no_bonding_option = "b";

bool readable(OBFormat* format) {
  return format != nullptr && (format->Flags() & NOTREADABLE) == 0;
}

OBFormat* input_format(OBConversion& conversion, const fs::path& file, const std::string& given) {
  OBFormat* format =
      given.empty() ? conversion.FormatFromExt(file.string()) : conversion.FindFormat(given);
  if (!readable(format))
    throw ToolError(given.empty()
                        ? "unknown format '" + file.extension().string() + "' (-i FORMAT names one)"
                        : "Open Babel reads no format '" + given + "'");
  return format;
}

// The molecule's title, or the given name when it has none; the template carries it.
std::string named(OBMol& mol, const std::string& name) {
  if (trim(mol.GetTitle()).empty())
    mol.SetTitle(name.c_str());
  return std::string(trim(mol.GetTitle()));
}

// Perceives the molecule; Open Babel's own complaints on the way become a note.
ReadMolecule complete(OBMol& mol, const std::string& name, int index, const ReadOptions& options) {
  ReadMolecule entry;
  entry.name = named(mol, name);
  entry.index = index;
  clear_babel_messages();
  try {
    entry.molecule = perceive(mol, options.perception, entry.notes);
    entry.mol2 = write_molecule(mol, "mol2");
  } catch (const ToolError& e) {
    entry.error = e.what();
  }
  if (const std::string problem = babel_problem(); !problem.empty())
    entry.notes.add("Open Babel warnings", "Open Babel: " + problem);
  return entry;
}

ReadMolecule damaged(OBMol& mol, const std::string& name, int index, const std::string& problem) {
  ReadMolecule entry;
  entry.name = named(mol, name);
  entry.index = index;
  entry.error = problem.empty() ? "Open Babel cannot read the molecule" : problem;
  return entry;
}

// Whether nothing but blanks follows position in the file.
bool blank_from(std::istream& in, std::streampos position) {
  in.clear();
  in.seekg(position);
  std::string rest{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return rest.find_first_not_of(" \t\r\n") == std::string::npos;
}

} // namespace

std::vector<ReadMolecule> read_molecules(const fs::path& file, const ReadOptions& options) {
  OBConversion conversion;
  conversion.SetInFormat(input_format(conversion, file, options.format));
  conversion.AddOption(no_bonding_option, OBConversion::INOPTIONS);
  std::ifstream in(file, std::ios::binary);
  if (!in)
    throw ToolError("cannot read " + file.string());
  const std::string stem = file.stem().string();
  std::vector<ReadMolecule> molecules;
  for (int index = 1;;) {
    OBMol mol;
    clear_babel_messages();
    const std::streampos before = in.tellg();
    const bool read = conversion.Read(&mol, &in);
    const std::string problem = babel_problem();
    // Readers fail quietly at the end of a file, or complain about the blank lines after it.
    if (!read && mol.NumAtoms() == 0 && (problem.empty() || blank_from(in, before)))
      break;
    if (!read) {
      molecules.push_back(damaged(mol, stem, index, problem));
      break;
    }
    // Some readers end a file with an empty molecule (PDB's END record).
    if (mol.NumAtoms() == 0 && problem.empty()) {
      if (!in || in.tellg() == before)
        break;
      continue;
    }
    // A molecule read with complaints (a CONECT record to no atom) is not run as read.
    molecules.push_back(problem.empty() ? complete(mol, stem, index, options)
                                        : damaged(mol, stem, index, problem));
    ++index;
  }
  if (molecules.empty())
    throw ToolError("no molecule in the file");
  return molecules;
}

ReadMolecule read_smiles(std::string_view smiles, const std::string& name,
                         const ReadOptions& options) {
  OBConversion conversion;
  conversion.SetInFormat(smiles_format);
  OBMol mol;
  clear_babel_messages();
  if (!conversion.ReadString(&mol, std::string(smiles)) || mol.NumAtoms() == 0)
    return damaged(mol, name, 1, "unreadable SMILES '" + std::string(smiles) + "'");
  return complete(mol, name, 1, options);
}

bool is_chemistry_file(const fs::path& file) {
  OBConversion conversion;
  return readable(conversion.FormatFromExt(file.string()));
}

} // namespace tools
