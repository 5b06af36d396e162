// Open Babel reports problems through one global message log, which prints framed, multi-line
// warnings on standard error. The tools keep that log quiet and turn what it gathered during one
// step into one line of their own.
#pragma once

#include <string>

namespace tools {

// Silences Open Babel's printing (once) and empties its log; call before a step whose problems
// count.
void clear_babel_messages();

// The warnings and errors logged since the last clear, as one line; empty when there were none.
std::string babel_problem();

} // namespace tools
