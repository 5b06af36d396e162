// Molecules out in any format Open Babel writes: the template of a molecule (written when it is
// prepared) and the final geometry of a run, with the run's figures as data fields.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/core/vec3.hpp"

namespace OpenBabel {
class OBMol;
}

namespace tools {

// The text of mol in an Open Babel output format ("mol2", "sdf", ...); ToolError when Open Babel
// writes no such format or fails.
std::string write_molecule(OpenBabel::OBMol& mol, const std::string& format);

// The format of an output file: the given Open Babel code, else the file's extension; ToolError
// when neither names a format Open Babel writes.
std::string output_format(const std::filesystem::path& file, const std::string& given);

// A final geometry and the figures that go with it (name, value), in order.
struct GeometryResult {
  std::vector<Vec3> xyz;
  std::vector<std::pair<std::string, std::string>> fields;
};

// The first molecule of the template file (any format Open Babel reads) with the result's
// coordinates and fields, in format: its atoms, bonds, charges and name are kept. ToolError when
// the template cannot be read or its atom count differs.
std::string template_result(const std::filesystem::path& template_file,
                            const GeometryResult& result, const std::string& format);

// The same from the molecule as prepared, given as MOL2 text.
std::string mol2_result(const std::string& mol2, const GeometryResult& result,
                        const std::string& format);

// Atoms of the given elements with the result's coordinates and fields, no bonds, in format.
std::string elements_result(std::string_view name, const std::vector<std::string>& elements,
                            const GeometryResult& result, const std::string& format);

} // namespace tools
