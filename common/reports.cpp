#include "common/reports.hpp"

#include <algorithm>
#include <string>

#include "common/records.hpp"
#include "common/termination.hpp"

namespace common {

namespace {
constexpr int prntmat_block = 6;
} // namespace

std::pair<std::string, std::string> numbered_report_records(const NumberedReport& report) {
  std::string heading = FreeRecord()
                            .item(numbered_report_mark)
                            .item(report.number)
                            .item(" in ")
                            .item(report.routine)
                            .item(" **")
                            .str();
  FreeRecord detail;
  detail.item(" ").item(report.text);
  if (report.ip1 != 0 || report.ip2 != 0)
    detail.item(" parameters:").item(report.ip1).item(report.ip2);
  return {std::move(heading), detail.str()};
}

void nerror(RunContext& run, int ierr, std::string_view routine, std::string_view text, int ip1,
            int ip2) {
  NumberedReport report{ierr, std::string(routine), std::string(text), ip1, ip2};
  const auto [heading, detail] = numbered_report_records(report);
  run.write_record(listing_unit, heading);
  run.write_record(listing_unit, detail);
  stop_run(run.banner(), std::move(report));
}

void message(RunContext& run, std::string_view head, std::string_view text, int ip1, int ip2) {
  run.write_record(listing_unit, FreeRecord().item(head).str());
  FreeRecord detail;
  detail.item(text);
  if (ip1 != 0 || ip2 != 0)
    detail.item(ip1).item(ip2);
  run.write_record(listing_unit, detail.str());
}

void memchk(RunContext& run, long long avail, long long need, int namelen, std::string_view name) {
  if (need <= avail)
    return;
  const auto shown = name.substr(0, static_cast<std::size_t>(std::max(0, namelen)));
  run.write_blank(stdout_unit);
  run.write_record(stdout_unit, Record()
                                    .x(2)
                                    .text("***ERROR*** Insufficient Scratch Memory in")
                                    .text(" Subroutine ")
                                    .a(shown, 12)
                                    .str());
  run.write_record(
      stdout_unit,
      Record().text("     Available: ").i(avail, 12).text("   Requested: ").i(need, 12).str());
  stop_run(memory_stop_code);
}

void prntmat(RunContext& run, int ncol, int nrow, int maxcol, std::span<const double> a) {
  const int columns = std::min(ncol, maxcol);
  for (int first = 1; first <= columns; first += prntmat_block) {
    const int last = std::min(first + prntmat_block - 1, columns);
    run.write_blank(listing_unit);
    run.write_blank(listing_unit);
    for (int i = 1; i <= nrow; ++i) {
      Record row;
      row.x(1);
      for (int j = first; j <= last; ++j) {
        row.f(a[static_cast<std::size_t>(i - 1) + static_cast<std::size_t>(j - 1) * nrow], 12, 6);
      }
      run.write_record(listing_unit, row.str());
    }
  }
}

} // namespace common
