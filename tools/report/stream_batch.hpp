// A streamed batch (ffbatch --stream) for the report: its molecules from status.tsv, as in a batch
// of molecule folders, and the geometry of each from the shards' SDF files. A streamed batch keeps
// no cycle history and no symmetry elements, so the elements are found again on the SDF geometry
// with symmetry's own search at the default $thrsym (ffbatch's --thrsym is not recorded); a
// molecule that the run named C1 has no element to draw, and its search is not run again.
#pragma once

#include <filesystem>
#include <vector>

#include "tools/report/batch_report.hpp"

namespace tools {

// True when the folder holds the SDF files of a streamed batch's shards.
bool is_streamed_batch(const std::filesystem::path& folder);

// The molecules of a streamed batch; ToolError when the folder has no readable status.tsv. A
// molecule whose geometry cannot be found or read in the SDF files says so among its file
// problems, as does one whose elements were found for another group than the run named.
std::vector<MoleculeEntry> read_stream(const std::filesystem::path& folder);

} // namespace tools
