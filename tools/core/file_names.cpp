#include "tools/core/file_names.hpp"

#include <array>
#include <cstdint>
#include <cstdio>

#include "tools/core/tokens.hpp"

namespace tools {

namespace {

constexpr std::size_t hash_digits = 8;

// FNV-1a, 32 bits: a short fingerprint of a name that is the same on every machine.
std::uint32_t fnv1a(std::string_view text) {
  constexpr std::uint32_t offset = 2166136261u;
  constexpr std::uint32_t prime = 16777619u;
  std::uint32_t hash = offset;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= prime;
  }
  return hash;
}

} // namespace

std::string safe_file_stem(std::string_view name) {
  std::string out;
  for (const char c : trim(name)) {
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '.' || c == '_' || c == '-';
    out += keep ? c : '_';
  }
  if (out.empty() || out.front() == '.')
    out.insert(0, "mol");
  if (out.size() <= max_stem_length)
    return out;
  std::array<char, hash_digits + 1> hash{};
  std::snprintf(hash.data(), hash.size(), "%08x", fnv1a(name));
  return out.substr(0, max_stem_length - hash_digits - 1) + "_" + hash.data();
}

} // namespace tools
