// ffresult: the final geometry of a run as XYZ or MOL2, and kelma's cycles as CSV.
#include <iostream>
#include <iterator>
#include <optional>

#include "tools/cli.hpp"
#include "tools/files.hpp"
#include "tools/mol2.hpp"
#include "tools/run_output.hpp"
#include "tools/sources.hpp"
#include "tools/xyz.hpp"

namespace {

constexpr int failure_status = 1;

void usage() {
  std::cerr
      << "usage: ffresult [options] RUN_OUTPUT\n"
         "Reads a run's standard output (or kelma's fort.9; - for standard input) and writes:\n"
         "  --xyz FILE        the final geometry as XYZ (the default, to standard output)\n"
         "  --mol2 FILE       the final geometry as MOL2: the template's atoms, types, bonds\n"
         "  --csv FILE        kelma's energy and RMS force per cycle\n"
         "  --template FILE   the original MOL2 molecule (first molecule of the file)\n"
         "  --input FILE      the keyword input, for the element symbols of the XYZ file\n"
         "  --last            take the last cycle's geometry when the run did not converge\n"
         "FILE - is standard output. Exit status: 0 written, 1 no result, 2 usage.\n";
}

struct Request {
  std::string run;
  std::string xyz, mol2, csv, template_file, input;
  bool last = false;
};

Request parse_arguments(int argc, char** argv) {
  Request request;
  tools::Arguments args(argc, argv);
  while (!args.done()) {
    const std::string_view arg = args.next();
    if (arg == "--xyz")
      request.xyz = args.value(arg);
    else if (arg == "--mol2")
      request.mol2 = args.value(arg);
    else if (arg == "--csv")
      request.csv = args.value(arg);
    else if (arg == "--template")
      request.template_file = args.value(arg);
    else if (arg == "--input")
      request.input = args.value(arg);
    else if (arg == "--last")
      request.last = true;
    else if (arg.starts_with("--") || !request.run.empty())
      throw tools::ToolError("unexpected argument " + std::string(arg));
    else
      request.run = arg;
  }
  if (request.run.empty())
    throw tools::ToolError("no run output given");
  if (request.xyz.empty() && request.mol2.empty() && request.csv.empty())
    request.xyz = std::string(1, '-'); // standard output
  if (!request.mol2.empty() && request.template_file.empty())
    throw tools::ToolError("--mol2 needs --template");
  return request;
}

std::string read_run(const std::string& name) {
  if (name != "-")
    return tools::read_file(name);
  return {std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
}

std::optional<tools::Mol2Record> template_record(const Request& request) {
  if (request.template_file.empty())
    return std::nullopt;
  auto records = tools::split_mol2(tools::read_file(request.template_file));
  if (records.empty())
    throw tools::ToolError(request.template_file + ": no MOL2 molecule");
  return records.front();
}

std::vector<std::string> elements(const Request& request,
                                  const std::optional<tools::Mol2Record>& record) {
  if (!request.input.empty())
    return tools::input_elements(tools::read_file(request.input));
  if (!record)
    throw tools::ToolError("XYZ output needs the elements: give --input or --template");
  std::vector<std::string> notes;
  std::vector<std::string> out;
  for (const tools::Atom& atom : tools::parse_mol2(*record, notes).atoms)
    out.push_back(atom.element);
  return out;
}

std::string cycles_csv(const tools::RunOutput& run) {
  std::string text = "cycle,energy_hartree,rms_force_hartree_per_bohr\n";
  for (const tools::CycleRecord& cycle : run.cycles)
    text += std::to_string(cycle.cycle) + "," + cycle.energy + "," + cycle.rms + "\n";
  return text;
}

const std::vector<tools::Vec3>& geometry(const tools::RunOutput& run, const Request& request) {
  if (!run.final_geometry.empty())
    return run.final_geometry;
  if (request.last && !run.last_geometry.empty()) {
    std::cerr << "ffresult: " << request.run << ": no final geometry; using the last cycle's\n";
    return run.last_geometry;
  }
  throw tools::ToolError(request.run + ": no final geometry (the run did not finish; --last "
                                       "takes the last cycle's geometry)");
}

int write_results(const Request& request) {
  tools::RunOutput run;
  try {
    run = tools::parse_run_output(read_run(request.run));
  } catch (const tools::ToolError& e) {
    throw tools::ToolError(request.run + ": " + e.what());
  }
  if (!request.csv.empty()) {
    if (run.cycles.empty())
      throw tools::ToolError(request.run + ": no cycle records");
    tools::write_file_atomic(request.csv, cycles_csv(run));
  }
  if (request.xyz.empty() && request.mol2.empty())
    return 0;
  const std::vector<tools::Vec3>& xyz = geometry(run, request);
  const auto record = template_record(request);
  if (!request.mol2.empty())
    tools::write_file_atomic(request.mol2, tools::mol2_with_coordinates(*record, xyz));
  if (!request.xyz.empty()) {
    const std::vector<std::string> symbols = elements(request, record);
    if (symbols.size() != xyz.size())
      throw tools::ToolError("the result has " + std::to_string(xyz.size()) +
                             " atoms, the element list " + std::to_string(symbols.size()));
    const std::string name = record ? record->name : request.run;
    tools::write_file_atomic(request.xyz, tools::xyz_text(name, symbols, xyz));
  }
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  return tools::run_tool("ffresult", argc, argv, usage, parse_arguments, write_results,
                         failure_status);
}
