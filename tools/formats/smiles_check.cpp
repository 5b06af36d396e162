#include "tools/formats/smiles_check.hpp"

#include <cctype>
#include <set>

#include "tools/core/molecule.hpp"
#include "tools/core/tokens.hpp"
#include "tools/formats/elements.hpp"

namespace tools {

namespace {

// Atoms written without brackets: the organic subset and its aromatic forms.
constexpr std::string_view organic_one = "BCNOPSFIbcnops";
constexpr std::string_view bond_marks = "-=#$:/\\.";
constexpr char wildcard = '*';
constexpr int two_digit_ring = 2; // %nn
// How much of a damaged SMILES its report shows.
constexpr std::size_t shown_length = 40;

bool is_upper(char c) { return std::isupper(static_cast<unsigned char>(c)) != 0; }
bool is_lower(char c) { return std::islower(static_cast<unsigned char>(c)) != 0; }
bool is_digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// The element symbol at the start of text: two letters when they name an element, else one.
std::string_view symbol_at(std::string_view text) {
  if (text.size() >= 2 && is_lower(text[1]) && is_element(text.substr(0, 2)))
    return text.substr(0, 2);
  return text.substr(0, 1);
}

struct Walk {
  int atoms = 0;
  int depth = 0;
  std::set<int> open_rings;
};

std::string bracket_damage(std::string_view inside) {
  std::size_t p = 0;
  while (p < inside.size() && is_digit(inside[p]))
    ++p; // isotope
  const std::string_view rest = inside.substr(p);
  if (rest.empty() || !(is_upper(rest[0]) || is_lower(rest[0])))
    return rest.starts_with(wildcard) ? "a wildcard atom '*'"
                                      : "unreadable bracket atom [" + std::string(inside) + "]";
  const std::string_view symbol = symbol_at(rest);
  if (!is_element(symbol))
    return "unknown element '" +
           std::string(rest.substr(0, rest.size() > 1 && is_lower(rest[1]) ? 2 : 1)) + "'";
  return {};
}

// Steps over the ring bond at text[i] (a digit, or % and two digits); false when unreadable.
bool ring_bond(std::string_view text, std::size_t& i, Walk& walk) {
  int ring = 0;
  if (text[i] == '%') {
    if (i + two_digit_ring >= text.size() || !is_digit(text[i + 1]) || !is_digit(text[i + 2]))
      return false;
    ring = (text[i + 1] - '0') * 10 + (text[i + 2] - '0');
    i += two_digit_ring + 1;
  } else {
    ring = text[i] - '0';
    ++i;
  }
  if (!walk.open_rings.erase(ring))
    walk.open_rings.insert(ring);
  return true;
}

// Steps over one item of the SMILES at text[i]; the damage, or empty.
std::string step(std::string_view text, std::size_t& i, Walk& walk) {
  const char c = text[i];
  if (c == '[') {
    const std::size_t close = text.find(']', i);
    if (close == std::string_view::npos)
      return "a bracket atom is not closed";
    if (std::string damage = bracket_damage(text.substr(i + 1, close - i - 1)); !damage.empty())
      return damage;
    ++walk.atoms;
    i = close + 1;
  } else if (is_upper(c) || is_lower(c)) {
    const std::string_view rest = text.substr(i);
    const bool two = rest.starts_with("Cl") || rest.starts_with("Br");
    const std::string_view symbol = rest.substr(0, two ? 2 : 1);
    if (!two && organic_one.find(c) == std::string_view::npos)
      return "unknown atom '" + std::string(symbol_at(rest)) + "' outside brackets";
    ++walk.atoms;
    i += symbol.size();
  } else if (c == '(' || c == ')') {
    walk.depth += c == '(' ? 1 : -1;
    if (walk.depth < 0)
      return "unbalanced parentheses";
    ++i;
  } else if (is_digit(c) || c == '%') {
    if (!ring_bond(text, i, walk))
      return "unreadable ring bond";
  } else if (bond_marks.find(c) != std::string_view::npos) {
    ++i;
  } else {
    return c == wildcard ? "a wildcard atom '*'"
                         : "unexpected character '" + std::string(1, c) + "'";
  }
  return {};
}

} // namespace

std::string smiles_damage(std::string_view line) {
  const auto words = split_words(line);
  if (words.empty())
    return "no SMILES";
  const std::string_view smiles = words[0];
  Walk walk;
  for (std::size_t i = 0; i < smiles.size();)
    if (std::string damage = step(smiles, i, walk); !damage.empty())
      return "SMILES '" + std::string(smiles.substr(0, shown_length)) +
             (smiles.size() > shown_length ? "...'" : "'") + ": " + damage;
  if (walk.depth != 0)
    return "SMILES: unbalanced parentheses";
  if (!walk.open_rings.empty())
    return "SMILES: ring bond " + std::to_string(*walk.open_rings.begin()) + " is not closed";
  return atom_count_damage(walk.atoms, " before hydrogens");
}

} // namespace tools
