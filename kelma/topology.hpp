// Molecular topology: bends, torsions and out-of-plane centres derived from the bond-code
// matrix, in their fixed enumeration orders, and the count that sizes the workspace.
#pragma once

#include <span>

namespace kelma {

// Counts the bends exactly (nbend) and bounds the torsions plus out-of-plane bends (ntors) of
// the natoms x natoms bond-code matrix conn (column by column).
void ffcount(int natoms, std::span<const int> conn, int& nbend, int& ntors);

}  // namespace kelma
