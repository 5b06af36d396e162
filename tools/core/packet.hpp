// Values packed into bytes and read back in the same order: how what a child process made
// crosses back to its parent. Numbers keep every bit (both ends are the same program).
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "tools/core/tool_error.hpp"

namespace tools {

class PacketWriter {
public:
  void put(std::string_view text) {
    put_raw(static_cast<std::uint64_t>(text.size()));
    bytes_.append(text);
  }
  void put(int value) { put_raw(value); }
  void put(double value) { put_raw(value); }
  void put(const std::vector<std::string>& texts) {
    put(static_cast<int>(texts.size()));
    for (const std::string& text : texts)
      put(text);
  }
  const std::string& bytes() const { return bytes_; }

private:
  template <typename T> void put_raw(T value) {
    char raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    bytes_.append(raw, sizeof(T));
  }
  std::string bytes_;
};

// ToolError when the packet ends before a value.
class PacketReader {
public:
  explicit PacketReader(std::string_view bytes) : bytes_(bytes) {}
  std::string text() {
    const auto size = static_cast<std::size_t>(get_raw<std::uint64_t>());
    need(size);
    std::string out(bytes_.substr(0, size));
    bytes_.remove_prefix(size);
    return out;
  }
  std::vector<std::string> texts() {
    std::vector<std::string> out(static_cast<std::size_t>(integer()));
    for (std::string& text : out)
      text = this->text();
    return out;
  }
  int integer() { return get_raw<int>(); }
  double real() { return get_raw<double>(); }
  bool done() const { return bytes_.empty(); }

private:
  void need(std::size_t size) const {
    if (bytes_.size() < size)
      throw ToolError("a child process handed back a cut packet");
  }
  template <typename T> T get_raw() {
    need(sizeof(T));
    T value;
    std::memcpy(&value, bytes_.data(), sizeof(T));
    bytes_.remove_prefix(sizeof(T));
    return value;
  }
  std::string_view bytes_;
};

} // namespace tools
