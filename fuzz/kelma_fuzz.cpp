// A whole kelma run on the fuzzer's bytes, outputs in memory. A "$nsteps" value above
// max_fuzz_cycles is lowered to it before the run: a long optimisation is legitimate, not a
// finding, and the cycles that do run are the same as with the value as written.
#include <sstream>

#include "fuzz/harness.hpp"
#include "kelma/driver.hpp"

namespace {

constexpr int max_fuzz_cycles = 40;
constexpr std::string_view nsteps_key = "$nsteps";

// The cycle limit a "$nsteps" line asks for, read as the program reads its 80-column record;
// 0 for other lines and unreadable values.
int asked_cycles(std::string_view line) {
  if (line.substr(0, nsteps_key.size()) != nsteps_key)
    return 0;
  if (!line.empty() && line.back() == '\r')
    line.remove_suffix(1);
  const std::string_view value = line.substr(0, common::record_length).substr(nsteps_key.size());
  int nsteps = 0;
  return common::FreeFormat(value).next_int(nsteps) ? nsteps : 0;
}

std::string with_bounded_cycles(const std::string& text) {
  std::string bounded;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end;
    const std::string_view line = std::string_view(text).substr(start, end - start);
    if (asked_cycles(line) > max_fuzz_cycles) {
      bounded += std::string(nsteps_key) + " " + std::to_string(max_fuzz_cycles);
      if (line.back() == '\r')
        bounded += '\r';
    } else {
      bounded += line;
    }
    bounded += text.substr(end, 1);
    start = end + 1;
  }
  return bounded;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  common::RunContext run(fuzz::banner, common::UnitsTo::memory);
  std::istringstream in(with_bounded_cycles(fuzz::as_text(data, size)));
  common::InputDeck deck(in);
  const int status = common::run_program(
      run, "kelma", [&](common::RunContext& r) { kelma::run_kelma_from_deck(r, deck); });
  fuzz::check_rejection_is_clean(status, run);
  fuzz::check_no_nonfinite_words(fuzz::records(run));
  return 0;
}
