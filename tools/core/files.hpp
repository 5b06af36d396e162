// File access of the companion tools: whole-file reads and writes that never leave a
// half-written file behind (the text goes to a temporary name in the same folder, then is
// renamed over the target).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tools/core/tool_error.hpp"

namespace tools {

// A file system without space left: a batch stops at once with one line, since every later
// molecule would fail the same way.
class DiskFull : public ToolError {
public:
  using ToolError::ToolError;
};

// The whole file; ToolError naming the file when it cannot be read.
std::string read_file(const std::filesystem::path& path);

// The lines of a text, without line feeds and without a carriage return before one.
std::vector<std::string> split_lines(std::string_view text);

// Writes text to path through a temporary file and a rename; "-" writes to standard output.
// ToolError (DiskFull when the file system is full) naming the file when it cannot be written;
// the target is then untouched.
void write_file_atomic(const std::filesystem::path& path, std::string_view text);

// DiskFull when the file system that holds folder has no space left: a program that wrote there
// may have lost part of its output without a word.
void check_space(const std::filesystem::path& folder);

} // namespace tools
