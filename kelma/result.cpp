#include "kelma/result.hpp"

namespace kelma {

void record_stop(const common::RunStop& stop, KelmaResult& result) {
  result.stop_code = stop.code;
  result.report = stop.report;
  if (stop.report)
    result.outcome = Outcome::numbered_report;
  else if (stop.code == common::memory_stop_code)
    result.outcome = Outcome::workspace_stop;
  else
    result.outcome = Outcome::cycle_limit; // the one other stop of kelma's own
}

} // namespace kelma
