// ffprep: the keyword input of every molecule of chemistry files or SMILES, one file per molecule.
#include <filesystem>
#include <iostream>

#include "tools/core/cli.hpp"
#include "tools/core/files.hpp"
#include "tools/core/tool_error.hpp"
#include "tools/formats/sources.hpp"

namespace {

namespace fs = std::filesystem;

constexpr int skipped_status = 1;

void usage() {
  std::cout
      << "usage: ffprep [options] FILE... [--smiles S [--name NAME]]...\n"
         "Reads every molecule of the files (any format Open Babel reads: mol2, sdf, pdb, xyz,\n"
         "smi, cml, ...) and writes NAME.in (the keyword input of both programs) and NAME.mol2\n"
         "(the molecule as prepared, the template of its results); prints the .in paths.\n"
         "  -o, --out DIR      folder for the files (default: the current folder)\n"
         "  --timeout SECONDS  skip a molecule whose reading and preparation take longer\n"
         "                     (default 60)\n"
      << tools::molecule_option_usage() << tools::job_option_usage()
      << "Exit status: 0 every molecule written, 1 some skipped, 2 usage or unreadable file.\n";
}

struct Request {
  std::vector<std::string> files;
  fs::path out = ".";
  tools::JobOptions job;
  tools::MoleculeOptions molecules;
};

Request parse_arguments(int argc, char** argv) {
  Request request;
  tools::Arguments args(argc, argv);
  while (!args.done()) {
    const std::string_view arg = args.next();
    if (arg == "-o" || arg == "--out")
      request.out = args.value(arg);
    else if (arg == "--timeout")
      request.molecules.time_limit_seconds = tools::positive_count(arg, args.value(arg));
    else if (!arg.starts_with("-"))
      request.files.emplace_back(arg);
    else if (!tools::set_molecule_option(request.molecules, arg, args) &&
             !tools::set_job_option(request.job, arg, args.value(arg)))
      throw tools::ToolError("unknown option " + std::string(arg));
  }
  if (request.files.empty() && request.molecules.smiles.empty())
    throw tools::ToolError("no input file or SMILES");
  return request;
}

// Each molecule is written as soon as it is prepared, so that a long file gives its first results
// at once.
int write_molecules(const Request& request) {
  fs::create_directories(request.out);
  tools::UniqueStems stems;
  int status = 0;
  const auto write = [&](tools::PreparedMolecule&& molecule) {
    const std::string stem = stems.take(molecule.name);
    tools::report_preparation(std::cerr, "ffprep", molecule);
    if (!molecule.error.empty()) {
      status = skipped_status;
      return;
    }
    const fs::path input = request.out / (stem + ".in");
    tools::write_file_atomic(input, molecule.input);
    if (!molecule.mol2.empty())
      tools::write_file_atomic(request.out / (stem + ".mol2"), molecule.mol2);
    std::cout << input.string() << std::endl;
  };
  tools::prepare_molecules({request.files.begin(), request.files.end()}, request.job,
                           request.molecules, write);
  return status;
}

} // namespace

int main(int argc, char** argv) {
  return tools::run_tool("ffprep", argc, argv, usage, parse_arguments, write_molecules);
}
