#include "tools/formats/chemistry_writer.hpp"

#include <openbabel/atom.h>
#include <openbabel/elements.h>
#include <openbabel/generic.h>
#include <openbabel/mol.h>
#include <openbabel/obconversion.h>
#include <openbabel/obiter.h>

#include "tools/core/tool_error.hpp"
#include "tools/core/vec3.hpp"
#include "tools/formats/babel_messages.hpp"

namespace tools {

namespace fs = std::filesystem;

namespace {

using OpenBabel::OBConversion;
using OpenBabel::OBMol;

bool writable(OpenBabel::OBFormat* format) {
  return format != nullptr && (format->Flags() & NOTWRITABLE) == 0;
}

void fill_result(OBMol& mol, const GeometryResult& result) {
  if (mol.NumAtoms() != result.xyz.size())
    throw ToolError("the result has " + std::to_string(result.xyz.size()) +
                    " atoms, the molecule " + std::to_string(mol.NumAtoms()));
  std::size_t k = 0;
  FOR_ATOMS_OF_MOL(atom, mol) {
    const Vec3& xyz = result.xyz[k++];
    atom->SetVector(xyz[0], xyz[1], xyz[2]);
  }
  for (const auto& [name, value] : result.fields) {
    auto* field = new OpenBabel::OBPairData; // the molecule owns its data
    field->SetAttribute(name);
    field->SetValue(value);
    mol.SetData(field);
  }
}

// The date and time field of an MDL molecule's second line, which Open Babel stamps with the time
// of writing.
constexpr std::size_t mdl_stamp_column = 10;
constexpr std::size_t mdl_stamp_width = 10;

// Blanks the time stamp of the MDL molecule text (as other writers leave it), so that a result
// file has the same bytes on every run.
void blank_mdl_stamp(std::string& text) {
  const std::size_t second_line = text.find('\n');
  if (second_line == std::string::npos)
    return;
  const std::size_t stamp = second_line + 1 + mdl_stamp_column;
  const std::size_t line_end = text.find('\n', second_line + 1);
  if (line_end != std::string::npos && stamp + mdl_stamp_width <= line_end)
    text.replace(stamp, mdl_stamp_width, mdl_stamp_width, ' ');
}

} // namespace

std::string write_molecule(OBMol& mol, const std::string& format) {
  OBConversion conversion;
  if (!writable(conversion.FindFormat(format)) || !conversion.SetOutFormat(format.c_str()))
    throw ToolError("Open Babel writes no format '" + format + "'");
  clear_babel_messages();
  std::string text = conversion.WriteString(&mol);
  if (text.empty())
    throw ToolError("Open Babel could not write the molecule as " + format + ": " +
                    babel_problem());
  if (conversion.GetOutFormat() == conversion.FindFormat("sdf"))
    blank_mdl_stamp(text);
  return text;
}

std::string output_format(const fs::path& file, const std::string& given) {
  if (!given.empty())
    return given;
  OBConversion conversion;
  std::string extension = file.extension().string();
  if (!extension.empty() && writable(conversion.FormatFromExt(file.string())))
    return extension.substr(1);
  throw ToolError(file.string() + ": no output format known for '" + extension +
                  "' (-o FORMAT names one)");
}

std::string template_result(const fs::path& template_file, const GeometryResult& result,
                            const std::string& format) {
  OBConversion conversion;
  OBMol mol;
  clear_babel_messages();
  if (!conversion.SetInFormat(conversion.FormatFromExt(template_file.string())) ||
      !conversion.ReadFile(&mol, template_file.string()) || mol.NumAtoms() == 0)
    throw ToolError(template_file.string() + ": no molecule read (" + babel_problem() + ")");
  fill_result(mol, result);
  return write_molecule(mol, format);
}

std::string mol2_result(const std::string& mol2, const GeometryResult& result,
                        const std::string& format) {
  OBConversion conversion;
  OBMol mol;
  clear_babel_messages();
  if (!conversion.SetInFormat("mol2") || !conversion.ReadString(&mol, mol2) || mol.NumAtoms() == 0)
    throw ToolError("the prepared molecule cannot be read back (" + babel_problem() + ")");
  fill_result(mol, result);
  return write_molecule(mol, format);
}

std::string elements_result(std::string_view name, const std::vector<std::string>& elements,
                            const GeometryResult& result, const std::string& format) {
  OBMol mol;
  mol.SetTitle(std::string(name).c_str());
  for (const std::string& element : elements) {
    OpenBabel::OBAtom* atom = mol.NewAtom();
    atom->SetAtomicNum(static_cast<int>(OpenBabel::OBElements::GetAtomicNum(element.c_str())));
  }
  fill_result(mol, result);
  return write_molecule(mol, format);
}

} // namespace tools
