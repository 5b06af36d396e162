// Whether a line of a SMILES file holds a SMILES that can only mean one molecule the programs
// take: every bracket closed, parentheses balanced, every ring bond closed, every element known
// and no more atoms than the programs take (counted from the text, before any reader builds the
// molecule: a reader given 100,000 atoms may crash or take minutes).
#pragma once

#include <string>
#include <string_view>

namespace tools {

// Why the SMILES (the first word of the line) cannot be taken; empty when it can.
std::string smiles_damage(std::string_view line);

} // namespace tools
