// The chemical elements, as Open Babel knows them.
#pragma once

#include <string_view>

namespace tools {

// Whether the symbol names an element, in any letter case ("CL" and "cl" are chlorine; "D" and
// "T" are hydrogen). Dummy and query atoms ("Du", "LP", "Q", "*", "X") are none.
bool is_element(std::string_view symbol);

} // namespace tools
