// Whether one molecule's record of a chemistry file holds together before a chemistry reader
// guesses at it: its counts match its lines, its coordinates are numbers, its elements exist,
// its bonds join two different atoms it has, and it is small enough for the programs. A reader
// would otherwise make dummy atoms of unknown elements, drop bonds to missing atoms, take "1.2.3"
// as 1.2 or run an unbalanced SMILES as another molecule.
#pragma once

#include <string>
#include <string_view>

#include "tools/formats/file_records.hpp"

namespace tools {

// Why the record cannot be taken as a molecule ("atom 4: unknown element 'Xx'"); empty when it
// holds together. Records of the whole layout are left to the chemistry reader.
std::string record_damage(std::string_view text, RecordLayout layout);

// Whether a PDB record has ATOM or HETATM lines.
bool has_pdb_atoms(std::string_view text);

} // namespace tools
