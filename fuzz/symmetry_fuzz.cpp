// A whole symmetry run on the fuzzer's bytes, outputs in memory.
#include <sstream>

#include "fuzz/harness.hpp"
#include "symmetry/driver.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::MemoryUnits units;
  std::istringstream in(fuzz::as_text(data, size));
  common::InputDeck deck(in);
  const int status = fuzz::run_program("symmetry", [&] { symmetry::run_symmetry(deck); });
  fuzz::check_rejection_is_clean(status, units);
  fuzz::check_no_nonfinite_words(units.records());
  return 0;
}
