// Chemistry files as streams of text, gzipped ones (NAME.sdf.gz) decompressed as they are read,
// so that a compressed library is read record by record like a plain one.
#pragma once

#include <filesystem>
#include <istream>
#include <memory>

namespace tools {

// Whether the file is gzipped, by its extension ".gz".
bool is_gzipped(const std::filesystem::path& file);

// The file without its ".gz", which names the format ("library.sdf.gz" gives "library.sdf").
std::filesystem::path uncompressed_name(const std::filesystem::path& file);

// The text of the file, decompressed when it is gzipped; ToolError when it cannot be opened.
std::unique_ptr<std::istream> open_text(const std::filesystem::path& file);

} // namespace tools
