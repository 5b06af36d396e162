// What became of one program run, in the words of status.tsv: the outcome, the figures of the
// last cycle and a plain-language detail (the keyword a numbered report names, the RMS force and
// energy change at a cycle limit, the point group's name and its degrees of freedom, ...).
#pragma once

#include <string>
#include <string_view>

#include "tools/core/process.hpp"
#include "tools/core/run_output.hpp"
#include "tools/core/status.hpp"

namespace tools {

// What a finished run left behind.
struct RunTexts {
  std::string_view output;  // standard output
  std::string_view errors;  // standard error
  std::string_view listing; // the listing ("debug", or "fort.8" when there is none)
};

// The status of one finished program run ("kelma" or "symmetry"), without the molecule's
// columns.
StatusLine classify_run(std::string_view program, const ChildResult& child, const RunTexts& texts);

// The same for a run whose records were read already (run); the output of texts is not read.
StatusLine classify_output(std::string_view program, const ChildResult& child, const RunOutput& run,
                           const RunTexts& texts);

// A point-group label in words: "c2v" C2v, "d*h" D-infinity-h, "ih" Ih.
std::string group_name(std::string_view label);

// The warning of a symmetry run whose group stands only as the fallback to C1, or whose atoms
// lie too close together for the search, from its status line; empty for any other line.
std::string symmetry_warning(const StatusLine& line);

} // namespace tools
