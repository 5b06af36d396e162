#include "tools/formats/sources.hpp"

#include <algorithm>
#include <exception>
#include <fstream>

#include "common/keyword_input.hpp"
#include "common/records.hpp"
#include "tools/core/coverage.hpp"
#include "tools/core/field_text.hpp"
#include "tools/core/file_names.hpp"
#include "tools/core/files.hpp"
#include "tools/core/tokens.hpp"
#include "tools/core/tool_error.hpp"
#include "tools/formats/preparation.hpp"

namespace tools {

namespace fs = std::filesystem;

namespace {

ReadOptions isolated_reading(const MoleculeOptions& options) {
  ReadOptions read = options.read;
  read.isolated = true;
  read.time_limit_seconds = options.time_limit_seconds;
  return read;
}

// A failure of the file as a whole (its format, no molecule in it) is one skipped entry; what
// take throws goes on up.
void prepare_chemistry_file(const fs::path& file, const JobOptions& job,
                            const MoleculeOptions& options,
                            const std::function<void(PreparedMolecule&&)>& take) {
  std::exception_ptr taken_failure;
  try {
    read_molecules(file, isolated_reading(options), [&](ReadMolecule&& molecule) {
      const int index = molecule.index;
      try {
        take(prepare_read_molecule(std::move(molecule), origin_of(file, index), job, options));
      } catch (...) {
        taken_failure = std::current_exception();
        throw;
      }
    });
  } catch (const ToolError& e) {
    if (taken_failure)
      std::rethrow_exception(taken_failure);
    take(skipped_file(file, e.what()));
  }
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
    else if (is_chemistry_file(file))
      molecules.push_back(file);
  }
  std::vector<fs::path>& chosen = inputs.empty() ? molecules : inputs;
  std::sort(chosen.begin(), chosen.end());
  return chosen;
}

void prepare_file(const fs::path& file, const JobOptions& job, const MoleculeOptions& options,
                  const std::function<void(PreparedMolecule&&)>& take) {
  if (!fs::exists(file))
    throw ToolError(file.string() + ": no such file");
  if (is_keyword_input(file))
    take(prepare_keyword_input(file, read_file(file)));
  else
    prepare_chemistry_file(file, job, options, take);
}

void prepare_smiles(const JobOptions& job, const MoleculeOptions& options,
                    const std::function<void(PreparedMolecule&&)>& take) {
  for (const SmilesInput& input : options.smiles) {
    const std::string name = input.name.empty() ? input.smiles : input.name;
    take(prepare_read_molecule(read_smiles(input.smiles, name, isolated_reading(options)),
                               "SMILES " + input.smiles, job, options));
  }
}

// A seed of RDKit's builder: any int from 0 (a negative one would ask for a random seed).
int seed_value(std::string_view flag, std::string_view text) {
  int seed = 0;
  if (!parse_int(text, seed) || seed < 0)
    throw ToolError("invalid value '" + std::string(text) + "' for " + std::string(flag));
  return seed;
}

} // namespace

bool set_molecule_option(MoleculeOptions& options, std::string_view flag, Arguments& args) {
  if (flag == "-i")
    options.read.format = args.value(flag);
  else if (flag == "--smiles")
    options.smiles.push_back({args.value(flag), ""});
  else if (flag == "--name") {
    if (options.smiles.empty() || !options.smiles.back().name.empty())
      throw ToolError("--name names the --smiles before it");
    options.smiles.back().name = args.value(flag);
  } else if (flag == "--add-hydrogens")
    options.read.perception.add_hydrogens = true;
  else if (flag == "--retype")
    options.read.perception.retype = true;
  else if (flag == "--strict")
    options.strict = true;
  else if (flag == "--build-timeout")
    options.read.perception.build.time_limit_seconds = positive_count(flag, args.value(flag));
  else if (flag == "--build-seed")
    options.read.perception.build.seed = seed_value(flag, args.value(flag));
  else
    return false;
  return true;
}

std::string molecule_option_usage() {
  return "  -i FORMAT          Open Babel format of the files (default: from the extension)\n"
         "  --smiles S         a molecule as SMILES (hydrogens added, 3D built); repeatable\n"
         "  --name NAME        the name of the --smiles before it\n"
         "  --add-hydrogens    complete missing hydrogens (default: skip such molecules;\n"
         "                     always on for SMILES)\n"
         "  --retype           type MOL2 atoms afresh instead of keeping the file's types\n"
         "  --strict           skip molecules with bonds, bends or torsions without parameter\n"
         "  --build-timeout SECONDS  skip a molecule whose 3D build takes longer, in processor\n"
         "                     time (default " +
         std::to_string(default_build_seconds) +
         ")\n"
         "  --build-seed N     the random seed of the 3D build, 0 or more (default " +
         std::to_string(default_build_seed) + ")\n";
}

void prepare_molecules(const std::vector<fs::path>& files, const JobOptions& job,
                       const MoleculeOptions& options,
                       const std::function<void(PreparedMolecule&&)>& take) {
  for (const fs::path& file : files)
    prepare_file(file, job, options, take);
  prepare_smiles(job, options, take);
}

std::vector<PreparedMolecule> prepare_molecules(const std::vector<fs::path>& files,
                                                const JobOptions& job,
                                                const MoleculeOptions& options) {
  std::vector<PreparedMolecule> molecules;
  prepare_molecules(files, job, options,
                    [&](PreparedMolecule&& molecule) { molecules.push_back(std::move(molecule)); });
  return molecules;
}

void report_preparation(std::ostream& err, std::string_view tool,
                        const PreparedMolecule& molecule) {
  const std::string origin = printable_line(molecule.origin);
  for (const std::string& note : molecule.notes)
    err << tool << ": " << origin << ": " << printable_line(note) << '\n';
  if (!molecule.error.empty())
    err << tool << ": " << origin << ": " << printable_line(molecule.error) << "; skipped\n";
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
        throw ToolError(path.string() + ": no .in or chemistry files");
      files.insert(files.end(), inside.begin(), inside.end());
    } else {
      files.push_back(path);
    }
  }
  return files;
}

UniqueStems::UniqueStems(const std::vector<std::string>& reserved)
    : taken_(reserved.begin(), reserved.end()) {}

std::string UniqueStems::take(std::string_view name) {
  const std::string base = safe_file_stem(name);
  std::string stem = base;
  for (int k = 2; !taken_.insert(stem).second; ++k)
    stem = base + "_" + std::to_string(k);
  return stem;
}

std::vector<std::string> unique_stems(const std::vector<PreparedMolecule>& molecules,
                                      const std::vector<std::string>& reserved) {
  UniqueStems stems(reserved);
  std::vector<std::string> out;
  for (const PreparedMolecule& molecule : molecules)
    out.push_back(stems.take(molecule.name));
  return out;
}

} // namespace tools
