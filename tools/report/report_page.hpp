// The report page of a batch: the summary, the sortable and filterable table with a small
// convergence plot per molecule, and one section per molecule with the plots at full size and
// a 3D viewer of its geometry and symmetry elements. The viewers are made by the page's script
// only when a section is opened, so that a page of hundreds of molecules stays responsive.
#pragma once

#include <string>
#include <vector>

#include "tools/report/batch_report.hpp"

namespace tools {

struct PageOptions {
  std::string title;  // the batch folder's name
  std::string assets; // the folder of the scripts and styles, relative to the page
  bool viewer = true; // 3Dmol is beside the page
};

std::string report_page(const std::vector<MoleculeEntry>& molecules, const PageOptions& options);

} // namespace tools
