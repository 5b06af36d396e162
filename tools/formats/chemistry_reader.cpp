#include "tools/formats/chemistry_reader.hpp"
#include "tools/formats/compressed_input.hpp"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>

#include <openbabel/atom.h>
#include <openbabel/mol.h>
#include <openbabel/obconversion.h>
#include <openbabel/obiter.h>

#include "tools/core/packet.hpp"
#include "tools/core/process.hpp"
#include "tools/core/tokens.hpp"
#include "tools/core/tool_error.hpp"
#include "tools/formats/babel_messages.hpp"
#include "tools/formats/chemistry_writer.hpp"
#include "tools/formats/file_records.hpp"
#include "tools/formats/smiles_check.hpp"

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
  OBFormat* format = given.empty() ? conversion.FormatFromExt(uncompressed_name(file).string())
                                   : conversion.FindFormat(given);
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

// What any reader may have let through: more atoms than the programs take (refused before
// perception, which would take long over them) and atoms of no element.
void check_atoms_read(OBMol& mol) {
  check_atom_count(static_cast<int>(mol.NumAtoms()), "");
  FOR_ATOMS_OF_MOL(atom, mol)
  if (atom->GetAtomicNum() == 0)
    throw ToolError("atom " + std::to_string(atom->GetIdx()) +
                    ": no element (a dummy or query atom)");
}

// Perceives the molecule; Open Babel's own complaints on the way become a note.
ReadMolecule complete(OBMol& mol, const std::string& name, int index, const ReadOptions& options) {
  ReadMolecule entry;
  entry.name = named(mol, name);
  entry.index = index;
  clear_babel_messages();
  try {
    check_atoms_read(mol);
    entry.molecule = perceive(mol, options.perception, entry.notes);
    check_molecule(entry.molecule);
    entry.mol2 = write_molecule(mol, "mol2");
  } catch (const ToolError& e) {
    entry.error = e.what();
  }
  if (const std::string problem = babel_problem(); !problem.empty())
    entry.notes.add("Open Babel warnings", "Open Babel: " + problem);
  return entry;
}

ReadMolecule damaged(std::string name, int index, const std::string& problem) {
  ReadMolecule entry;
  entry.name = std::move(name);
  entry.index = index;
  entry.error = problem.empty() ? "Open Babel cannot read the molecule" : problem;
  return entry;
}

ReadMolecule damaged(OBMol& mol, const std::string& name, int index, const std::string& problem) {
  return damaged(named(mol, name), index, problem);
}

// Whether nothing but blanks follows position in the stream.
bool blank_from(std::istream& in, std::streampos position) {
  in.clear();
  in.seekg(position);
  std::string rest{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return rest.find_first_not_of(" \t\r\n") == std::string::npos;
}

// The molecules of a format without a record splitter, read one after the other from the whole
// text; a molecule Open Babel cannot read ends the list with an entry that gives the reason
// (reading cannot resume inside such a file).
void read_in_sequence(OBConversion& conversion, const std::string& text, const std::string& stem,
                      const ReadOptions& options, const std::function<void(ReadMolecule&&)>& take) {
  std::istringstream in(text);
  for (int index = 1;;) {
    OBMol mol;
    clear_babel_messages();
    const std::streampos before = in.tellg();
    const bool read = conversion.Read(&mol, &in);
    const std::string problem = babel_problem();
    // Readers fail quietly at the end of a file, or complain about the blank lines after it.
    if (!read && mol.NumAtoms() == 0 && (problem.empty() || blank_from(in, before)))
      return;
    if (!read) {
      take(damaged(mol, stem, index, problem));
      return;
    }
    // Some readers end a file with an empty molecule.
    if (mol.NumAtoms() == 0 && problem.empty()) {
      if (!in || in.tellg() == before)
        return;
      continue;
    }
    // A molecule read with complaints is not run as read.
    take(problem.empty() ? complete(mol, stem, index, options)
                         : damaged(mol, stem, index, problem));
    ++index;
  }
}

// The name a record's molecule goes by before Open Babel reads it.
std::string record_name(const FileRecord& record, const std::string& stem) {
  const std::string title(trim(record.title));
  return title.empty() ? stem : title;
}

// One record of a split file: refused when it does not hold together, otherwise read alone.
ReadMolecule read_record(OBConversion& conversion, const FileRecord& record,
                         const std::string& stem, const ReadOptions& options) {
  const std::string name = record_name(record, stem);
  if (!record.damage.empty())
    return damaged(name, record.index, record.damage);
  OBMol mol;
  clear_babel_messages();
  const bool read = conversion.ReadString(&mol, record.text);
  const std::string problem = babel_problem();
  if (!read || mol.NumAtoms() == 0 || !problem.empty())
    return damaged(mol, name, record.index, problem);
  return complete(mol, name, record.index, options);
}

// The format code of a file: the one given, or its extension.
std::string format_code(const fs::path& file, const std::string& given) {
  if (!given.empty())
    return given;
  std::string code = uncompressed_name(file).extension().string();
  if (!code.empty())
    code.erase(0, 1);
  std::transform(code.begin(), code.end(), code.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return code;
}

void pack(PacketWriter& packet, const Molecule& molecule) {
  packet.put(molecule.name);
  packet.put(static_cast<int>(molecule.atoms.size()));
  for (const Atom& atom : molecule.atoms) {
    packet.put(atom.element);
    packet.put(atom.sybyl_type);
    packet.put(atom.ff_type);
    for (const double c : atom.xyz)
      packet.put(c);
  }
  packet.put(static_cast<int>(molecule.bonds.size()));
  for (const Bond& bond : molecule.bonds)
    for (const int value : {bond.i, bond.j, bond.code})
      packet.put(value);
  packet.put(molecule.start);
}

Molecule unpack_molecule(PacketReader& packet) {
  Molecule molecule;
  molecule.name = packet.text();
  molecule.atoms.resize(static_cast<std::size_t>(packet.integer()));
  for (Atom& atom : molecule.atoms) {
    atom.element = packet.text();
    atom.sybyl_type = packet.text();
    atom.ff_type = packet.integer();
    for (double& c : atom.xyz)
      c = packet.real();
  }
  molecule.bonds.resize(static_cast<std::size_t>(packet.integer()));
  for (Bond& bond : molecule.bonds)
    for (int* value : {&bond.i, &bond.j, &bond.code})
      *value = packet.integer();
  molecule.start = packet.text();
  return molecule;
}

std::string pack(const std::vector<ReadMolecule>& molecules) {
  PacketWriter packet;
  for (const ReadMolecule& entry : molecules) {
    packet.put(entry.name);
    packet.put(entry.index);
    pack(packet, entry.molecule);
    packet.put(entry.mol2);
    packet.put(entry.notes.lines);
    packet.put(entry.notes.tags);
    packet.put(entry.error);
  }
  return packet.bytes();
}

std::vector<ReadMolecule> unpack(std::string_view bytes) {
  PacketReader packet(bytes);
  std::vector<ReadMolecule> molecules;
  while (!packet.done()) {
    ReadMolecule& entry = molecules.emplace_back();
    entry.name = packet.text();
    entry.index = packet.integer();
    entry.molecule = unpack_molecule(packet);
    entry.mol2 = packet.text();
    entry.notes.lines = packet.texts();
    entry.notes.tags = packet.texts();
    entry.error = packet.text();
  }
  return molecules;
}

std::string pack(const FileRecord& record) {
  PacketWriter packet;
  packet.put(record.index);
  packet.put(record.first_line);
  packet.put(record.title);
  packet.put(record.text);
  packet.put(record.damage);
  return packet.bytes();
}

FileRecord unpack_record(std::string_view bytes) {
  PacketReader packet(bytes);
  FileRecord record;
  record.index = packet.integer();
  record.first_line = packet.integer();
  record.title = packet.text();
  record.text = packet.text();
  record.damage = packet.text();
  return record;
}

// The molecules of one record of a file: a split record alone, the whole text of a format without
// a splitter in sequence.
std::vector<ReadMolecule> read_file_record(OBConversion& conversion, RecordLayout layout,
                                           const std::string& stem, const FileRecord& record,
                                           const ReadOptions& options) {
  std::vector<ReadMolecule> molecules;
  if (layout == RecordLayout::whole && record.damage.empty())
    read_in_sequence(conversion, record.text, stem, options,
                     [&](ReadMolecule&& entry) { molecules.push_back(std::move(entry)); });
  else
    molecules.push_back(read_record(conversion, record, stem, options));
  return molecules;
}

using ReadRecord = std::function<std::vector<ReadMolecule>(const FileRecord&)>;

// Reads records with read: in this process, or, when the options ask for it, in a worker process
// where a record that crashes or hangs the reader costs only its own molecule.
class RecordReading {
public:
  RecordReading(ReadRecord read, const ReadOptions& options) : read_(std::move(read)) {
    if (options.isolated)
      worker_.emplace(
          [this](std::string_view request) { return pack(read_(unpack_record(request))); },
          options.time_limit_seconds);
  }

  std::vector<ReadMolecule> operator()(const FileRecord& record, const std::string& name) {
    if (!worker_ || !record.damage.empty())
      return read_(record);
    const IsolatedResult answer = worker_->ask(pack(record));
    if (!answer.failure.empty())
      return {damaged(name, record.index, "preparing it " + answer.failure)};
    return unpack(answer.text);
  }

private:
  ReadRecord read_;
  std::optional<IsolatedWorker> worker_;
};

} // namespace

void read_molecules(const fs::path& file, const ReadOptions& options,
                    const std::function<void(ReadMolecule&&)>& take) {
  OBConversion conversion;
  conversion.SetInFormat(input_format(conversion, file, options.format));
  conversion.AddOption(no_bonding_option, OBConversion::INOPTIONS);
  const std::unique_ptr<std::istream> in = open_text(file);
  const std::string stem = uncompressed_name(file).stem().string();
  const RecordLayout layout = record_layout(format_code(file, options.format));
  RecordReader records(*in, layout);
  int count = 0;
  RecordReading reading(
      [&](const FileRecord& record) {
        return read_file_record(conversion, layout, stem, record, options);
      },
      options);
  while (const std::optional<FileRecord> record = records.next()) {
    for (ReadMolecule& entry : reading(*record, record_name(*record, stem))) {
      take(std::move(entry));
      ++count;
    }
  }
  if (count == 0)
    throw ToolError("no molecule in the file");
}

std::vector<ReadMolecule> read_molecules(const fs::path& file, const ReadOptions& options) {
  std::vector<ReadMolecule> molecules;
  read_molecules(file, options,
                 [&](ReadMolecule&& molecule) { molecules.push_back(std::move(molecule)); });
  return molecules;
}

ReadMolecule read_smiles(std::string_view smiles, const std::string& name,
                         const ReadOptions& options) {
  if (const std::string damage = smiles_damage(smiles); !damage.empty())
    return damaged(name, 1, damage);
  RecordReading reading(
      [&](const FileRecord& record) -> std::vector<ReadMolecule> {
        OBConversion conversion;
        conversion.SetInFormat(smiles_format);
        OBMol mol;
        clear_babel_messages();
        if (!conversion.ReadString(&mol, record.text) || mol.NumAtoms() == 0)
          return {damaged(mol, name, 1, "unreadable SMILES '" + record.text + "'")};
        return {complete(mol, name, 1, options)};
      },
      options);
  FileRecord record;
  record.index = 1;
  record.text = smiles;
  return reading(record, name).at(0);
}

RecordLayout file_layout(const fs::path& file, const ReadOptions& options) {
  OBConversion conversion;
  input_format(conversion, file, options.format);
  return record_layout(format_code(file, options.format));
}

std::vector<ReadMolecule> read_molecules(const fs::path& file, const FileRecord& record,
                                         const ReadOptions& options) {
  OBConversion conversion;
  conversion.SetInFormat(input_format(conversion, file, options.format));
  conversion.AddOption(no_bonding_option, OBConversion::INOPTIONS);
  return read_file_record(conversion, record_layout(format_code(file, options.format)),
                          uncompressed_name(file).stem().string(), record, options);
}

bool is_chemistry_file(const fs::path& file) {
  OBConversion conversion;
  return readable(conversion.FormatFromExt(uncompressed_name(file).string()));
}

} // namespace tools
