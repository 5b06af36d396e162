// What a worker process of a batch hands back, packed into bytes and read back in the parent:
// the molecule it read and prepared, and the calls of both programs on it, every number in full.
#pragma once

#include "molecule_calls.hpp"
#include "tools/core/packet.hpp"
#include "tools/formats/chemistry_reader.hpp"

namespace bindings {

void put(tools::PacketWriter& packet, const KelmaCall& call);
void get(tools::PacketReader& packet, KelmaCall& call);

void put(tools::PacketWriter& packet, const SymmetryCall& call);
void get(tools::PacketReader& packet, SymmetryCall& call);

void put(tools::PacketWriter& packet, const tools::ReadMolecule& molecule);
void get(tools::PacketReader& packet, tools::ReadMolecule& molecule);

void put(tools::PacketWriter& packet, const MoleculeArrays& molecule);
void get(tools::PacketReader& packet, MoleculeArrays& molecule);

} // namespace bindings
