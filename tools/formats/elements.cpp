#include "tools/formats/elements.hpp"

#include <algorithm>
#include <cctype>
#include <string>

#include <openbabel/elements.h>

namespace tools {

namespace {
constexpr std::size_t longest_symbol = 3; // "Uuo" and the like, which Open Babel no longer knows
} // namespace

bool is_element(std::string_view symbol) {
  if (symbol.empty() || symbol.size() > longest_symbol)
    return false;
  std::string text(symbol);
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  return OpenBabel::OBElements::GetAtomicNum(text.c_str()) != 0;
}

} // namespace tools
