// ffresult: the final geometry of a run in any format Open Babel writes, and kelma's cycles as
// CSV.
#include <iostream>
#include <iterator>

#include "tools/core/cli.hpp"
#include "tools/core/files.hpp"
#include "tools/core/run_output.hpp"
#include "tools/core/tool_error.hpp"
#include "tools/core/vec3.hpp"
#include "tools/formats/chemistry_writer.hpp"
#include "tools/formats/sources.hpp"

namespace {

namespace fs = std::filesystem;

constexpr int failure_status = 1;
constexpr const char* default_format = "xyz";

void usage() {
  std::cout
      << "usage: ffresult [options] RUN_OUTPUT\n"
         "Reads kelma's standard output (or its fort.9; - for standard input) and writes:\n"
         "  --geometry FILE   the final geometry, in the format of FILE's extension (sdf, mol2,\n"
         "                    pdb, xyz, cml, ... any Open Babel writes); repeatable; default:\n"
         "                    XYZ on standard output\n"
         "  -o FORMAT         the Open Babel format of the geometry files\n"
         "  --csv FILE        kelma's energy and RMS force per cycle\n"
         "  --template FILE   the molecule as prepared (ffprep's NAME.mol2, ffbatch's\n"
         "                    molecule.mol2): its atoms, bonds, charges and name are kept\n"
         "  --input FILE      the keyword input: the elements, when there is no template\n"
         "  --symmetry FILE   symmetry's standard output: its point group joins the data fields\n"
         "  --symmetrised FILE  symmetry's symmetrised geometry (in its standard frame), in the\n"
         "                    format of FILE's extension; repeatable; needs --symmetry\n"
         "  --last            take the last cycle's geometry when the run did not converge\n"
         "SDF output carries the energy, RMS force, cycle count, convergence and point group as\n"
         "data fields. FILE - is standard output. Exit status: 0 written, 1 no result, 2 usage.\n";
}

struct Request {
  std::string run;
  std::vector<std::string> geometries;
  std::vector<std::string> symmetrised;
  std::string format, csv, template_file, input, symmetry;
  bool last = false;
};

bool parse_file_flag(Request& request, tools::Arguments& args, std::string_view arg) {
  if (arg == "--geometry")
    request.geometries.push_back(args.value(arg));
  else if (arg == "--symmetrised")
    request.symmetrised.push_back(args.value(arg));
  else if (arg == "-o")
    request.format = args.value(arg);
  else if (arg == "--csv")
    request.csv = args.value(arg);
  else if (arg == "--template")
    request.template_file = args.value(arg);
  else if (arg == "--input")
    request.input = args.value(arg);
  else if (arg == "--symmetry")
    request.symmetry = args.value(arg);
  else
    return false;
  return true;
}

Request parse_arguments(int argc, char** argv) {
  Request request;
  tools::Arguments args(argc, argv);
  while (!args.done()) {
    const std::string_view arg = args.next();
    if (arg == "--last")
      request.last = true;
    else if (parse_file_flag(request, args, arg))
      continue;
    else if ((arg.starts_with("-") && arg != "-") || !request.run.empty())
      throw tools::ToolError("unexpected argument " + std::string(arg));
    else
      request.run = arg;
  }
  if (request.run.empty())
    throw tools::ToolError("no run output given");
  if (!request.symmetrised.empty() && request.symmetry.empty())
    throw tools::ToolError("--symmetrised needs symmetry's output: give --symmetry");
  if (request.geometries.empty() && request.csv.empty() && request.symmetrised.empty()) {
    request.geometries.emplace_back(1, '-'); // standard output
    if (request.format.empty())
      request.format = default_format;
  }
  if (request.template_file.empty() && request.input.empty() &&
      !(request.geometries.empty() && request.symmetrised.empty()))
    throw tools::ToolError("the geometry needs the atoms: give --template or --input");
  return request;
}

std::string read_run(const std::string& name) {
  if (name != "-")
    return tools::read_file(name);
  return {std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
}

tools::RunOutput parse_run(const std::string& name) {
  try {
    return tools::parse_run_output(read_run(name));
  } catch (const tools::ToolError& e) {
    throw tools::ToolError(name + ": " + e.what());
  }
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

std::string geometry_text(const Request& request, const tools::GeometryResult& result,
                          const std::string& format) {
  if (!request.template_file.empty())
    return tools::template_result(request.template_file, result, format);
  return tools::elements_result(request.run, tools::input_elements(tools::read_file(request.input)),
                                result, format);
}

void write_geometries(const Request& request, const std::vector<std::string>& files,
                      const tools::GeometryResult& result) {
  for (const std::string& file : files) {
    const std::string format = tools::output_format(file, request.format);
    tools::write_file_atomic(file, geometry_text(request, result, format));
  }
}

int write_results(const Request& request) {
  const tools::RunOutput run = parse_run(request.run);
  if (!request.csv.empty()) {
    if (run.cycles.empty())
      throw tools::ToolError(request.run + ": no cycle records");
    tools::write_file_atomic(request.csv, cycles_csv(run));
  }
  const tools::RunOutput symmetry =
      request.symmetry.empty() ? tools::RunOutput{} : parse_run(request.symmetry);
  if (!request.geometries.empty())
    write_geometries(request, request.geometries,
                     {geometry(run, request), tools::result_fields(run, symmetry.point_group)});
  if (request.symmetrised.empty())
    return 0;
  if (symmetry.final_geometry.empty())
    throw tools::ToolError(request.symmetry + ": no symmetrised geometry");
  write_geometries(request, request.symmetrised,
                   {symmetry.final_geometry, tools::result_fields(run, symmetry.point_group)});
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  return tools::run_tool("ffresult", argc, argv, usage, parse_arguments, write_results,
                         failure_status);
}
