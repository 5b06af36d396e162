// The report page of a batch: the summary with its charts, and the table of the molecules, which
// the page's script fills a page of rows at a time (worst first, sortable and filterable). A
// molecule's section (its figures, what is amiss, the convergence plot and a 3D viewer of its
// geometry and symmetry elements) is made by the script only when it is opened, from the
// molecule's chunk script (report_data.hpp), so that a page of 100,000 molecules opens at once.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/report/batch_report.hpp"

namespace tools {

struct PageOptions {
  std::string title;  // the batch folder's name
  std::string assets; // the folder of the scripts and styles, relative to the page
  bool viewer = true; // 3Dmol is beside the page
};

// The folder of the chunk scripts in the assets folder.
inline constexpr std::string_view sections_folder = "sections";

std::string report_page(const std::vector<MoleculeEntry>& molecules, const PageOptions& options);

} // namespace tools
