// ffprep: the keyword input of every molecule of MOL2 or XYZ files, one file per molecule.
#include <filesystem>
#include <iostream>

#include "tools/cli.hpp"
#include "tools/files.hpp"
#include "tools/sources.hpp"

namespace {

namespace fs = std::filesystem;

constexpr int skipped_status = 1;

void usage() {
  std::cerr
      << "usage: ffprep [options] FILE.mol2|FILE.xyz ...\n"
         "Writes NAME.in (the keyword input of both programs) for every molecule, and\n"
         "NAME.mol2 (the molecule's own MOL2 text) for MOL2 input; prints the .in paths.\n"
         "  -o, --out DIR   folder for the files (default: the current folder)\n"
      << tools::job_option_usage()
      << "Exit status: 0 every molecule written, 1 some skipped, 2 usage or unreadable file.\n";
}

struct Request {
  std::vector<std::string> files;
  fs::path out = ".";
  tools::JobOptions options;
};

Request parse_arguments(int argc, char** argv) {
  Request request;
  tools::Arguments args(argc, argv);
  while (!args.done()) {
    const std::string_view arg = args.next();
    if (arg == "-o" || arg == "--out")
      request.out = args.value(arg);
    else if (!arg.starts_with("--"))
      request.files.emplace_back(arg);
    else if (!tools::set_job_option(request.options, arg, args.value(arg)))
      throw tools::ToolError("unknown option " + std::string(arg));
  }
  for (const std::string& file : request.files)
    if (!file.ends_with(".mol2") && !file.ends_with(".xyz"))
      throw tools::ToolError(file + ": not a .mol2 or .xyz file");
  if (request.files.empty())
    throw tools::ToolError("no input file");
  return request;
}

int write_molecules(const Request& request) {
  std::vector<tools::Prepared> molecules;
  for (const std::string& file : request.files) {
    auto more = tools::prepare_file(file, request.options);
    molecules.insert(molecules.end(), more.begin(), more.end());
  }
  fs::create_directories(request.out);
  const std::vector<std::string> stems = tools::unique_stems(molecules);
  int status = 0;
  for (std::size_t k = 0; k < molecules.size(); ++k) {
    const tools::Prepared& molecule = molecules[k];
    for (const std::string& note : molecule.notes)
      std::cerr << "ffprep: " << molecule.origin << ": " << note << '\n';
    if (!molecule.error.empty()) {
      std::cerr << "ffprep: " << molecule.origin << ": " << molecule.error << "; skipped\n";
      status = skipped_status;
      continue;
    }
    const fs::path input = request.out / (stems[k] + ".in");
    tools::write_file_atomic(input, molecule.input);
    if (!molecule.mol2.empty())
      tools::write_file_atomic(request.out / (stems[k] + ".mol2"), molecule.mol2);
    std::cout << input.string() << '\n';
  }
  return status;
}

} // namespace

int main(int argc, char** argv) {
  return tools::run_tool("ffprep", argc, argv, usage, parse_arguments, write_molecules);
}
