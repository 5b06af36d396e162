// The numbered fatal report, the warning report, the workspace check and the matrix listing, each
// written on the units of the run it is given.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "common/run_context.hpp"
#include "common/termination.hpp"

namespace common {

// The numbered report's first record begins with this text and the number.
inline constexpr std::string_view numbered_report_mark = "** Error no. ";

// The two records of a numbered report on the listing: the heading with the number and the
// routine, then the text (with the two parameters when either is non-zero).
std::pair<std::string, std::string> numbered_report_records(const NumberedReport& report);

// Numbered fatal error: two free-format records on the listing, then the STOP line with the
// run's banner. Does not return.
[[noreturn]] void nerror(RunContext& run, int ierr, std::string_view routine, std::string_view text,
                         int ip1, int ip2);

// Warning: the heading and the message text (with the two parameters when either is non-zero)
// as two free-format records on the listing.
void message(RunContext& run, std::string_view head, std::string_view text, int ip1, int ip2);

// Workspace check: returns when need <= avail, otherwise writes the scratch-memory report on
// standard output and stops with code 9.
void memchk(RunContext& run, long long avail, long long need, int namelen, std::string_view name);

// Lists min(ncol, maxcol) columns of the nrow x ncol column-major matrix a in blocks of six.
void prntmat(RunContext& run, int ncol, int nrow, int maxcol, std::span<const double> a);

} // namespace common
