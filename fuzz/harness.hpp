// Shared pieces of the fuzz targets: runs whose units (standard error too) are kept in memory, so
// that a run writes no file and the fuzzer's own output stays readable, and the checks every run
// must pass whatever the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/run_context.hpp"
#include "common/termination.hpp"

namespace fuzz {

// The banner of the numbered reports of a fuzzed run.
inline constexpr std::string_view banner = "*** FUZZ Error Termination ***";

// The fuzzer's bytes as the text of an input file.
inline std::string as_text(const std::uint8_t* data, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// Standard output, the listing and the trace of a run in memory, one after the other.
std::string records(common::RunContext& run);

// Runs a reader on a run in memory: a numbered report or an input-layer rejection is an accepted
// end.
void run_reader(const common::ProgramBody& body);

// Aborts (a finding) when a record holds a NaN or an infinity written as a word.
void check_no_nonfinite_words(const std::string& records);

// Aborts when a rejected run (exit status 2) wrote records on standard output or no diagnostic.
void check_rejection_is_clean(int status, common::RunContext& run);

// Aborts with the message when condition is false.
void require(bool condition, const char* what);

} // namespace fuzz
