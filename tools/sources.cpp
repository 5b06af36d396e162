#include "tools/sources.hpp"

#include <algorithm>
#include <set>

#include "tools/files.hpp"
#include "tools/mol2.hpp"
#include "tools/xyz.hpp"

namespace tools {

namespace fs = std::filesystem;

namespace {

std::string origin_of(const fs::path& file, std::size_t index, int line) {
  return file.filename().string() + " molecule " + std::to_string(index + 1) + " (line " +
         std::to_string(line) + ")";
}

void finish(Prepared& prepared, const Molecule& molecule, const JobOptions& options,
            const fs::path& file) {
  prepared.atoms = static_cast<int>(molecule.atoms.size());
  check_molecule(molecule);
  prepared.input = keyword_input(molecule, options, file.filename().string());
}

std::vector<Prepared> prepare_mol2(const fs::path& file, const JobOptions& options) {
  std::vector<Prepared> out;
  const std::vector<Mol2Record> records = split_mol2(read_file(file));
  for (std::size_t k = 0; k < records.size(); ++k) {
    Prepared prepared;
    prepared.name = records[k].name;
    prepared.origin = origin_of(file, k, records[k].first_line);
    prepared.mol2 = mol2_text(records[k]);
    try {
      finish(prepared, parse_mol2(records[k], prepared.notes), options, file);
    } catch (const ToolError& e) {
      prepared.error = e.what();
    }
    out.push_back(std::move(prepared));
  }
  return out;
}

std::vector<Prepared> prepare_xyz(const fs::path& file, const JobOptions& options) {
  std::vector<Prepared> out;
  const std::vector<XyzFrame> frames = read_xyz(read_file(file));
  for (std::size_t k = 0; k < frames.size(); ++k) {
    Prepared prepared;
    prepared.name = frames[k].molecule.name;
    prepared.origin = origin_of(file, k, frames[k].first_line);
    prepared.error = frames[k].error;
    prepared.notes.push_back("XYZ input: types from the element only, no bonds");
    if (prepared.error.empty())
      try {
        finish(prepared, frames[k].molecule, options, file);
      } catch (const ToolError& e) {
        prepared.error = e.what();
      }
    out.push_back(std::move(prepared));
  }
  return out;
}

// A keyword input runs as it stands; a MOL2 file of one molecule beside it is its template.
Prepared prepare_keyword_input(const fs::path& file) {
  Prepared prepared;
  prepared.name = file.stem().string();
  prepared.origin = file.filename().string();
  prepared.input = read_file(file);
  prepared.atoms = natoms_of(prepared.input);
  fs::path beside = file;
  beside.replace_extension(".mol2");
  if (fs::exists(beside)) {
    const std::vector<Mol2Record> records = split_mol2(read_file(beside));
    if (records.size() == 1)
      prepared.mol2 = mol2_text(records[0]);
  }
  return prepared;
}

bool has_extension(const fs::path& file, std::string_view extension) {
  std::string ext = file.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return ext == extension;
}

std::vector<fs::path> folder_inputs(const fs::path& folder) {
  std::vector<fs::path> inputs;
  std::vector<fs::path> molecules;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (!entry.is_regular_file())
      continue;
    const fs::path& file = entry.path();
    if (has_extension(file, ".in"))
      inputs.push_back(file);
    if (has_extension(file, ".mol2") || has_extension(file, ".xyz"))
      molecules.push_back(file);
  }
  std::vector<fs::path>& chosen = inputs.empty() ? molecules : inputs;
  std::sort(chosen.begin(), chosen.end());
  return chosen;
}

} // namespace

std::vector<Prepared> prepare_file(const fs::path& file, const JobOptions& options) {
  std::vector<Prepared> molecules;
  if (has_extension(file, ".mol2"))
    molecules = prepare_mol2(file, options);
  else if (has_extension(file, ".xyz"))
    molecules = prepare_xyz(file, options);
  else
    molecules.push_back(prepare_keyword_input(file));
  if (molecules.empty())
    throw ToolError(file.string() + ": no molecule found");
  return molecules;
}

std::vector<fs::path> expand_inputs(const std::vector<std::string>& paths,
                                    const std::vector<std::string>& lists) {
  std::vector<fs::path> named(paths.begin(), paths.end());
  for (const std::string& list : lists) {
    const fs::path base = fs::path(list).parent_path();
    for (const std::string& line : split_lines(read_file(list)))
      if (!trim(line).empty() && trim(line).front() != '#')
        named.push_back(base / fs::path(std::string(trim(line))));
  }
  std::vector<fs::path> files;
  for (const fs::path& path : named) {
    if (fs::is_directory(path)) {
      const auto inside = folder_inputs(path);
      if (inside.empty())
        throw ToolError(path.string() + ": no .in, .mol2 or .xyz files");
      files.insert(files.end(), inside.begin(), inside.end());
    } else {
      files.push_back(path);
    }
  }
  return files;
}

int natoms_of(std::string_view input) {
  constexpr std::string_view keyword = "$natoms";
  for (const std::string& line : split_lines(input)) {
    if (!line.starts_with(keyword))
      continue;
    const auto words = split_words(std::string_view(line).substr(keyword.size()));
    int n = -1;
    return !words.empty() && parse_int(words[0], n) ? n : -1;
  }
  return -1;
}

std::vector<std::string> input_elements(std::string_view input) {
  constexpr std::string_view section = "$coordinates";
  constexpr std::size_t label_column = 53; // columns 54-55
  constexpr std::size_t label_width = 2;
  const int n = natoms_of(input);
  const std::vector<std::string> lines = split_lines(input);
  std::vector<std::string> elements;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (!lines[k].starts_with(section))
      continue;
    for (std::size_t a = k + 1; a < lines.size() && static_cast<int>(elements.size()) < n; ++a) {
      const std::string& line = lines[a];
      elements.emplace_back(line.size() > label_column
                                ? trim(std::string_view(line).substr(label_column, label_width))
                                : "");
    }
    break;
  }
  if (n < 0 || static_cast<int>(elements.size()) != n)
    throw ToolError("the keyword input has no complete $coordinates section");
  return elements;
}

std::vector<std::string> unique_stems(const std::vector<Prepared>& molecules,
                                      const std::vector<std::string>& reserved) {
  std::vector<std::string> stems;
  std::set<std::string> taken(reserved.begin(), reserved.end());
  for (const Prepared& molecule : molecules) {
    const std::string base = file_stem(molecule.name);
    std::string stem = base;
    for (int k = 2; !taken.insert(stem).second; ++k)
      stem = base + "_" + std::to_string(k);
    stems.push_back(stem);
  }
  return stems;
}

} // namespace tools
