#include "formats_binding.hpp"

#include <optional>
#include <string>

#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include "arrays.hpp"
#include "text.hpp"
#include "tools/formats/chemistry_reader.hpp"

namespace bindings {

namespace py = pybind11;

tools::ReadOptions read_options(const std::string& format, std::optional<bool> add_hydrogens,
                                bool retype, const tools::BuildSettings& build) {
  tools::ReadOptions options;
  options.format = format;
  options.perception.add_hydrogens = add_hydrogens;
  options.perception.retype = retype;
  options.perception.build = build;
  return options;
}

// One molecule as the package hands it on: elements, types, coordinates and 0-based bonds.
py::dict molecule_fields(const tools::ReadMolecule& entry) {
  const tools::Molecule& molecule = entry.molecule;
  std::vector<std::string> elements;
  std::vector<std::string> sybyl_types;
  std::vector<int> types;
  std::vector<double> xyz;
  for (const tools::Atom& atom : molecule.atoms) {
    elements.push_back(atom.element);
    sybyl_types.push_back(atom.sybyl_type);
    types.push_back(atom.ff_type);
    xyz.insert(xyz.end(), atom.xyz.begin(), atom.xyz.end());
  }
  IntArray bonds({static_cast<py::ssize_t>(molecule.bonds.size()), py::ssize_t{3}});
  auto rows = bonds.mutable_unchecked<2>();
  for (py::ssize_t k = 0; k < rows.shape(0); ++k) {
    const tools::Bond& bond = molecule.bonds[static_cast<std::size_t>(k)];
    rows(k, 0) = bond.i - 1;
    rows(k, 1) = bond.j - 1;
    rows(k, 2) = bond.code;
  }
  return py::dict(
      py::arg("name") = text(entry.name), py::arg("index") = entry.index,
      py::arg("elements") = texts(elements), py::arg("sybyl_types") = texts(sybyl_types),
      py::arg("types") = IntArray(static_cast<py::ssize_t>(types.size()), types.data()),
      py::arg("coordinates") = coordinate_array(xyz), py::arg("bonds") = bonds,
      py::arg("notes") = texts(entry.notes.lines), py::arg("tags") = texts(entry.notes.tags),
      py::arg("error") = text(entry.error), py::arg("mol2") = text(entry.mol2));
}

namespace {

py::list read_file(const std::filesystem::path& file, const std::string& format,
                   std::optional<bool> add_hydrogens, bool retype, int build_seed,
                   int build_timeout) {
  py::list molecules;
  for (const tools::ReadMolecule& entry : tools::read_molecules(
           file, read_options(format, add_hydrogens, retype, {build_seed, build_timeout})))
    molecules.append(molecule_fields(entry));
  return molecules;
}

py::dict read_smiles(const std::string& smiles, const std::string& name, int build_seed,
                     int build_timeout) {
  return molecule_fields(tools::read_smiles(
      smiles, name, read_options("", std::nullopt, false, {build_seed, build_timeout})));
}

} // namespace

void add_formats(py::module_& module) {
  module.def("read_file", &read_file, py::arg("file"), py::arg("format"), py::arg("add_hydrogens"),
             py::arg("retype"), py::arg("build_seed") = tools::default_build_seed,
             py::arg("build_timeout") = tools::default_build_seconds,
             "The molecules of a chemistry file, prepared as by ffprep.");
  module.def("read_smiles", &read_smiles, py::arg("smiles"), py::arg("name"), py::arg("build_seed"),
             py::arg("build_timeout"),
             "The molecule of a SMILES string, 3D built and prepared as by ffprep.");
  module.attr("default_build_seed") = tools::default_build_seed;
  module.attr("default_build_timeout") = tools::default_build_seconds;
}

} // namespace bindings
