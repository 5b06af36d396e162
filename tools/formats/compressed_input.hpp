// Gzipped text: chemistry files (NAME.sdf.gz) decompressed as they are read, so that a compressed
// library is read record by record like a plain one, and kept records compressed as they are
// written.
#pragma once

#include <filesystem>
#include <istream>
#include <memory>
#include <string>
#include <string_view>

namespace tools {

// Whether the file is gzipped, by its extension ".gz".
bool is_gzipped(const std::filesystem::path& file);

// The file without its ".gz", which names the format ("library.sdf.gz" gives "library.sdf").
std::filesystem::path uncompressed_name(const std::filesystem::path& file);

// The text of the file, decompressed when it is gzipped; ToolError when it cannot be opened.
std::unique_ptr<std::istream> open_text(const std::filesystem::path& file);

// text as one gzip member. Members written one after another make a gzip file that gunzip and
// zcat read whole, and that stays whole when it is cut back to the end of a member.
std::string gzip_member(std::string_view text);

} // namespace tools
