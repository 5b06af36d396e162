// The atom-line readers of both programs on arbitrary text, for a few atom counts: every
// coordinate they accept is finite, every label is 8 characters.
#include <cmath>
#include <sstream>

#include "common/keyword_input.hpp"
#include "fuzz/harness.hpp"

namespace {

constexpr int atom_counts[] = {1, 3, 8};

void check_finite(std::span<const double> xyz) {
  for (const double x : xyz)
    fuzz::require(std::isfinite(x), "an accepted coordinate is not finite");
}

void read_symmetry_atoms(const std::string& text, int n) {
  std::istringstream in(text);
  common::InputDeck deck(in);
  std::vector<double> xyz(3 * static_cast<std::size_t>(n), 0.0);
  std::vector<std::string> labels;
  fuzz::run_reader([&](common::RunContext&) {
    common::getcoord1(deck, n, xyz, labels);
    check_finite(xyz);
    fuzz::require(labels.size() == static_cast<std::size_t>(n), "one label per atom");
    for (const std::string& label : labels)
      fuzz::require(label.size() == common::label_length, "a label is not 8 characters");
  });
}

void read_kelma_atoms(const std::string& text, int n) {
  std::istringstream in(text);
  common::InputDeck deck(in);
  std::vector<double> xyz(3 * static_cast<std::size_t>(n), 0.0);
  std::vector<int> types(static_cast<std::size_t>(n), 0);
  fuzz::run_reader([&](common::RunContext&) {
    common::getcoord2(deck, n, xyz, types);
    check_finite(xyz);
  });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text = fuzz::as_text(data, size);
  for (const int n : atom_counts) {
    read_symmetry_atoms(text, n);
    read_kelma_atoms(text, n);
  }
  double value = 0.0;
  if (common::read_fixed_real(std::string_view(text).substr(0, 16), value))
    fuzz::require(std::isfinite(value), "an accepted field is not finite");
  return 0;
}
