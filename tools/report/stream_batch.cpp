#include "tools/report/stream_batch.hpp"

#include <algorithm>
#include <unordered_map>

#include "tools/core/batch_layout.hpp"
#include "tools/core/file_names.hpp"
#include "tools/core/files.hpp"
#include "tools/core/keyword_writer.hpp"
#include "tools/core/tokens.hpp"
#include "tools/core/tool_error.hpp"
#include "tools/core/vec3.hpp"
#include "tools/report/sdf_atoms.hpp"

namespace tools {

namespace fs = std::filesystem;

namespace {

namespace layout = batch_layout;

// The group without elements.
constexpr std::string_view no_elements_group = "c1";
// What ffbatch numbers a stem with when its title came before in the shard ("name_2").
constexpr char stem_number_joint = '_';

// The shards' SDF files in shard order (the numbers are zero-padded to one width, but a run may
// outgrow it).
std::vector<fs::path> shard_sdf_files(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const fs::directory_entry& item : fs::directory_iterator(folder)) {
    const std::string name = item.path().filename().string();
    if (name.starts_with(layout::shard_prefix) && name.ends_with(layout::shard_sdf))
      files.push_back(item.path());
  }
  std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
    const std::string x = a.filename().string();
    const std::string y = b.filename().string();
    return x.size() != y.size() ? x.size() < y.size() : x < y;
  });
  return files;
}

// The positions of the molecules under every stem their names can be made from: ffbatch makes a
// molecule's name in status.tsv from the title of its SDF record, numbered ("name_2") when the
// title came before in the shard, so "name_2" is found under "name" too.
using StemIndex = std::unordered_map<std::string, std::vector<std::size_t>>;

StemIndex index_stems(const std::vector<MoleculeEntry>& molecules) {
  StemIndex index;
  for (std::size_t k = 0; k < molecules.size(); ++k) {
    const std::string& name = molecules[k].name;
    index[name].push_back(k);
    const std::size_t joint = name.rfind(stem_number_joint);
    int number = 0;
    if (joint != std::string::npos && joint > 0 && parse_int(name.substr(joint + 1), number))
      index[name.substr(0, joint)].push_back(k);
  }
  return index;
}

// A molecule has a geometry in the SDF when kelma recorded cycles: the last one's, or the final.
bool has_geometry(const MoleculeEntry& entry) { return entry.last_cycle != not_applicable; }

SymmetryElements centred(std::string group, std::vector<Vec3> positions) {
  Vec3 centre{};
  for (const Vec3& p : positions)
    for (std::size_t c = 0; c < centre.size(); ++c)
      centre[c] += p[c] / static_cast<double>(positions.size());
  for (Vec3& p : positions)
    for (std::size_t c = 0; c < centre.size(); ++c)
      p[c] -= centre[c];
  SymmetryElements elements;
  elements.group = std::move(group);
  elements.positions = std::move(positions);
  return elements;
}

// The record's atoms into the molecule's entry, with the elements of its group; a geometry
// whose search fails is drawn without them.
void take_geometry(SdfAtoms& record, double thrsym, MoleculeEntry& entry) {
  if (!record.error.empty()) {
    entry.file_problems.push_back("its geometry in the SDF cannot be read: " + record.error);
    return;
  }
  entry.symbols = std::move(record.symbols);
  if (entry.group == no_elements_group) {
    entry.elements = centred(entry.group, std::move(record.positions));
    return;
  }
  try {
    entry.elements = find_symmetry_elements(entry.symbols, record.positions, thrsym);
  } catch (const ToolError& e) {
    entry.file_problems.push_back(std::string("no symmetry elements: ") + e.what());
    entry.elements = centred(std::string(not_applicable), std::move(record.positions));
    return;
  }
  if (entry.group != not_applicable && entry.elements->group != entry.group)
    entry.file_problems.push_back("the elements drawn are those of " + entry.elements->group +
                                  ", found again at $thrsym " + JobOptions{}.thrsym +
                                  "; the run named " + entry.group);
}

// Where the records of the SDF files go: the molecules from next on, in order, under the stem of
// each record's title.
struct RecordWalk {
  StemIndex index;
  std::size_t next = 0;
  double thrsym = 0.0;
};

// Hands the records of one SDF file to their molecules. A record that no molecule takes is
// passed over: the molecule that misses it says so.
void take_records(std::vector<SdfAtoms>& records, std::vector<MoleculeEntry>& molecules,
                  RecordWalk& walk) {
  for (SdfAtoms& record : records) {
    const auto found = walk.index.find(safe_file_stem(record.title));
    if (found == walk.index.end())
      continue;
    const std::vector<std::size_t>& positions = found->second;
    auto k = std::lower_bound(positions.begin(), positions.end(), walk.next);
    while (k != positions.end() && !has_geometry(molecules[*k]))
      ++k;
    if (k == positions.end())
      continue;
    take_geometry(record, walk.thrsym, molecules[*k]);
    walk.next = *k + 1;
  }
}

} // namespace

bool is_streamed_batch(const fs::path& folder) {
  return fs::is_directory(folder) && !shard_sdf_files(folder).empty();
}

std::vector<MoleculeEntry> read_stream(const fs::path& folder) {
  std::vector<MoleculeEntry> molecules = molecule_entries(read_status_file(folder));
  RecordWalk walk{index_stems(molecules)};
  parse_double(JobOptions{}.thrsym, walk.thrsym);
  for (const fs::path& file : shard_sdf_files(folder)) {
    std::vector<SdfAtoms> records = read_sdf_atoms(read_file(file));
    take_records(records, molecules, walk);
  }
  for (MoleculeEntry& entry : molecules)
    if (has_geometry(entry) && entry.symbols.empty() && entry.file_problems.empty())
      entry.file_problems.push_back("no geometry in the shards' SDF files");
  return molecules;
}

} // namespace tools
