// Texts into Python. What comes from a file (titles, element labels, Open Babel's messages, the
// records and listings that carry them) is bytes in whatever encoding the file had; it is decoded
// as UTF-8 with every invalid byte replaced, so that no byte of a file keeps its molecule out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <pybind11/pybind11.h>

namespace bindings {

// The bytes as a str, invalid UTF-8 replaced by U+FFFD.
pybind11::str text(std::string_view bytes);

// A list of such strs.
pybind11::list texts(const std::vector<std::string>& lines);

} // namespace bindings
