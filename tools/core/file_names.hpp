// File names made from molecule names.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tools {

// A safe file stem cleaned from a molecule name: letters, digits, '.', '_' and '-' kept, anything
// else '_'; never empty, never hidden. A name longer than max_stem_length is cut and ends in a
// hash of the whole name, so that two long names that share their start still differ.
inline constexpr std::size_t max_stem_length = 100;
std::string safe_file_stem(std::string_view name);

} // namespace tools
