// The connectivity reader on arbitrary text, for a few atom counts: the bond matrix it accepts
// is symmetric.
#include <sstream>

#include "common/keyword_input.hpp"
#include "fuzz/harness.hpp"

namespace {

constexpr int atom_counts[] = {1, 2, 8};

void read_bonds(const std::string& text, int n) {
  std::istringstream in(text);
  common::InputDeck deck(in);
  const auto size = static_cast<std::size_t>(n);
  std::vector<int> conn(size * size, -1);
  fuzz::run_reader([&](common::RunContext&) {
    common::getconn(deck, n, conn);
    for (std::size_t i = 0; i < size; ++i) {
      for (std::size_t j = 0; j < i; ++j)
        fuzz::require(conn[i + j * size] == conn[j + i * size], "bond matrix not symmetric");
    }
  });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text = fuzz::as_text(data, size);
  for (const int n : atom_counts)
    read_bonds(text, n);
  return 0;
}
