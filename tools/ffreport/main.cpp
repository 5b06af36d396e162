// ffreport: a page to look at for a batch folder of ffbatch (a folder per molecule, or streamed),
// with the outcome of every molecule, what status.tsv says is amiss with it, its convergence and
// its final geometry drawn with the elements of its point group.
#include <iostream>

#include "tools/core/cli.hpp"
#include "tools/core/files.hpp"
#include "tools/core/process.hpp"
#include "tools/core/tool_error.hpp"
#include "tools/report/batch_report.hpp"
#include "tools/report/report_data.hpp"
#include "tools/report/report_page.hpp"
#include "tools/report/stream_batch.hpp"

namespace {

namespace fs = std::filesystem;

constexpr int failure_status = 1;
const std::string page_name = "report.html";
// The page's scripts and styles, copied into the batch folder beside the page.
const std::string assets_name = "report-files";
const std::vector<std::string> page_assets = {"report.js", "report.css"};
const std::vector<std::string> viewer_assets = {"3Dmol-min.js", "3Dmol-min.js.LICENSE.txt"};
// Where an installed ffreport finds them, relative to its own folder.
const fs::path installed_assets = fs::path("..") / "share" / "kelma-symmetry" / assets_name;

void usage() {
  std::cout << "usage: ffreport [options] RUNS_FOLDER\n"
               "Writes RUNS_FOLDER/report.html for a batch folder of ffbatch, a folder per\n"
               "molecule or streamed (--stream): a summary with charts, a table of the molecules\n"
               "in pages, worst first (sortable, filterable by outcome, point group, problems and\n"
               "name), and per molecule a section with its figures, what status.tsv says is\n"
               "amiss, kelma's convergence and its final geometry in a 3D viewer with the\n"
               "symmetry elements of its point group. The page's scripts, and the sections' data,\n"
               "go into RUNS_FOLDER/report-files; the page opens from the file system, without\n"
               "network.\n"
               "  --assets DIR   the scripts to copy (default: report-files beside ffreport, or\n"
               "                 ../share/kelma-symmetry/report-files from it)\n"
               "Exit status: 0 written, 1 no report (no status.tsv, no scripts), 2 usage.\n";
}

struct Request {
  fs::path folder;
  fs::path assets;
};

Request parse_arguments(int argc, char** argv) {
  Request request;
  tools::Arguments args(argc, argv);
  while (!args.done()) {
    const std::string_view arg = args.next();
    if (arg == "--assets")
      request.assets = args.value(arg);
    else if (arg.starts_with("-") || !request.folder.empty())
      throw tools::ToolError("unexpected argument " + std::string(arg));
    else
      request.folder = arg;
  }
  if (request.folder.empty())
    throw tools::ToolError("no batch folder given");
  return request;
}

fs::path assets_folder(const Request& request) {
  if (!request.assets.empty())
    return request.assets;
  const fs::path beside = tools::own_executable().parent_path();
  for (const fs::path& candidate : {beside / assets_name, beside / installed_assets})
    if (fs::exists(candidate / page_assets.front()))
      return candidate;
  throw tools::ToolError("the page's scripts are not found beside ffreport (give --assets)");
}

// Copies the assets into the batch folder; false when the viewer's are not there.
bool copy_assets(const fs::path& from, const fs::path& to) {
  fs::create_directories(to);
  for (const std::string& name : page_assets) {
    if (!fs::exists(from / name))
      throw tools::ToolError((from / name).string() + ": no such file");
    fs::copy_file(from / name, to / name, fs::copy_options::overwrite_existing);
  }
  for (const std::string& name : viewer_assets) {
    if (!fs::exists(from / name))
      return false;
    fs::copy_file(from / name, to / name, fs::copy_options::overwrite_existing);
  }
  return true;
}

// The sections' chunk scripts, in a folder of their own that is emptied first, so that a report
// written before for more molecules leaves none behind.
void write_sections(const fs::path& folder, const std::vector<tools::MoleculeEntry>& molecules) {
  fs::remove_all(folder);
  fs::create_directories(folder);
  for (std::size_t chunk = 0; chunk < tools::chunk_count(molecules.size()); ++chunk)
    tools::write_file_atomic(folder / tools::chunk_file_name(chunk),
                             tools::section_chunk(molecules, chunk));
}

std::size_t count_with(const std::vector<tools::MoleculeEntry>& molecules,
                       std::vector<std::string> tools::MoleculeEntry::*list) {
  std::size_t n = 0;
  for (const tools::MoleculeEntry& entry : molecules)
    n += (entry.*list).empty() ? 0 : 1;
  return n;
}

int write_report(const Request& request) {
  const bool streamed = tools::is_streamed_batch(request.folder);
  const std::vector<tools::MoleculeEntry> molecules =
      streamed ? tools::read_stream(request.folder) : tools::read_batch(request.folder);
  const fs::path assets = request.folder / assets_name;
  const bool viewer = copy_assets(assets_folder(request), assets);
  if (!viewer)
    std::cerr << "ffreport: 3Dmol is not among the scripts: the report has no 3D viewers\n";
  write_sections(assets / tools::sections_folder, molecules);
  fs::path named = fs::absolute(request.folder).lexically_normal();
  if (!named.has_filename()) // "runs/"
    named = named.parent_path();
  const std::string title = named.filename().string();
  tools::write_file_atomic(request.folder / page_name,
                           tools::report_page(molecules, {title, assets_name, viewer}));
  std::cerr << "ffreport: " << (request.folder / page_name).string() << ": " << molecules.size()
            << " molecules" << (streamed ? " of a streamed batch, " : ", ")
            << count_with(molecules, &tools::MoleculeEntry::problems)
            << " with problems in status.tsv, "
            << count_with(molecules, &tools::MoleculeEntry::file_problems)
            << " with missing or damaged files\n";
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  return tools::run_tool("ffreport", argc, argv, usage, parse_arguments, write_report,
                         failure_status);
}
