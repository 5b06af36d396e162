// Molecules from chemistry files and SMILES through the tools' formats layer (Open Babel), typed
// and bonded as ffprep prepares them.
#pragma once

#include <optional>
#include <string>

#include <pybind11/pybind11.h>

#include "tools/formats/chemistry_reader.hpp"

namespace bindings {

// The reading options of the package's calls: Open Babel's format code (empty: from the
// extension), hydrogens added (unset: only to molecules without coordinates), types made afresh,
// and how 3D coordinates are built.
tools::ReadOptions read_options(const std::string& format, std::optional<bool> add_hydrogens,
                                bool retype, const tools::BuildSettings& build);

// One molecule as the package hands it on: name, elements, Sybyl and force-field types,
// coordinates, 0-based bonds, notes and tags, the reason it cannot run, and its MOL2 text.
pybind11::dict molecule_fields(const tools::ReadMolecule& entry);

void add_formats(pybind11::module_& module);

} // namespace bindings
