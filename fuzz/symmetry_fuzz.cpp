// A whole symmetry run on the fuzzer's bytes, outputs in memory.
#include <sstream>

#include "fuzz/harness.hpp"
#include "symmetry/driver.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  common::RunContext run(fuzz::banner, common::UnitsTo::memory);
  std::istringstream in(fuzz::as_text(data, size));
  common::InputDeck deck(in);
  const int status = common::run_program(
      run, "symmetry", [&](common::RunContext& r) { symmetry::run_symmetry_from_deck(r, deck); });
  fuzz::check_rejection_is_clean(status, run);
  fuzz::check_no_nonfinite_words(fuzz::records(run));
  return 0;
}
