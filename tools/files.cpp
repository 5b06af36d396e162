#include "tools/files.hpp"

#include <fstream>
#include <iostream>
#include <sstream>
#include <system_error>
#include <unistd.h>

#include "tools/text.hpp"

namespace tools {

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw ToolError("cannot read " + path.string());
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad())
    throw ToolError("cannot read " + path.string());
  return text.str();
}

std::vector<std::string> split_lines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos)
      end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    lines.emplace_back(line);
    pos = end + 1;
  }
  return lines;
}

void write_file_atomic(const std::filesystem::path& path, std::string_view text) {
  if (path == "-") {
    std::cout << text << std::flush;
    return;
  }
  // The process id keeps concurrent writers of one folder apart.
  std::filesystem::path temp = path;
  temp += ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << text;
    out.flush();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temp, ignored);
      throw ToolError("cannot write " + path.string());
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    std::filesystem::remove(temp, ec);
    throw ToolError("cannot write " + path.string());
  }
}

} // namespace tools
