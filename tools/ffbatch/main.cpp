// ffbatch: kelma and/or symmetry over many molecules, each in its own folder.
#include <iostream>

#include "common/worker_pool.hpp"
#include "tools/batch/batch.hpp"
#include "tools/batch/job_lists.hpp"
#include "tools/batch/stream.hpp"
#include "tools/core/batch_layout.hpp"
#include "tools/core/cli.hpp"
#include "tools/core/files.hpp"
#include "tools/core/folder_lock.hpp"
#include "tools/core/tokens.hpp"
#include "tools/core/tool_error.hpp"

namespace {

namespace fs = std::filesystem;

constexpr int failure_status = 1;

void usage() {
  std::cout
      << "usage: ffbatch [options] INPUT...      run (or emit) the molecules of the inputs\n"
         "       ffbatch --step FOLDER [--program P] [--kelma PATH] [--symmetry PATH]\n"
         "                      [--symmetry-input I] [--timeout SECONDS]\n"
         "       ffbatch --collect OUT [--sdf FILE]   gather the results into OUT/status.tsv\n"
         "                      and, for a streamed OUT, the shards' result molecules into FILE\n"
         "       ffbatch --stream-task OUT/stream.args --shards FIRST-LAST   one emitted task\n"
         "INPUT is a chemistry file of any format Open Babel reads (one or many molecules), a\n"
         "keyword input (.in, or a file whose first line starts with $), or a folder of .in\n"
         "files (or, when it has none, of chemistry files).\n"
         "  --list FILE        more inputs, one path per line\n"
         "  -o, --out DIR      output folder (default ffbatch-out)\n"
         "  -p, --program P    kelma, symmetry or both (default both: symmetry on kelma's\n"
         "                     optimised geometry, and not when kelma did not converge)\n"
         "  --symmetry-input I final (default) or start: symmetry on the starting geometry\n"
         "  --timeout SECONDS  kill a program run that takes longer (outcome timeout), and\n"
         "                     skip a molecule whose preparation does (default 60 s)\n"
         "  -j N               parallel runs (default: the CPUs ffbatch may use)\n"
         "  --resume           skip molecules finished with the same input\n"
         "  --stream           read, prepare and run the molecules in process, writing per\n"
         "                     shard of the inputs OUT/shard-NNNNNN.sdf (the results) and .tsv\n"
         "                     (their status) instead of a folder per molecule: for libraries\n"
         "  --shard-size N     inputs per shard with --stream (default 10000)\n"
         "  --keep-records     with --stream, also the programs' records and listings per shard\n"
         "                     (OUT/shard-NNNNNN.records.gz)\n"
         "  --symmetrised      with --stream, also the symmetrised molecules in their groups'\n"
         "                     frames per shard (OUT/shard-NNNNNN.symmetrised.sdf)\n"
         "  --molecules-per-task N  with --stream --emit, inputs per task (whole shards; default\n"
         "                     as many shards a task as keep a Slurm array within the site's\n"
         "                     MaxArraySize, one shard a task for GNU parallel)\n"
         "  --emit parallel    write OUT/jobs.txt for GNU parallel instead of running\n"
         "  --emit slurm       write OUT/jobs.slurm, a Slurm array script, instead of running\n"
         "  --slurm-option O   an #SBATCH line of the script (--time=00:10:00, --partition=P,\n"
         "                     --account=A, --mem=2G, ...); repeatable\n"
         "  --kelma PATH, --symmetry PATH   the programs (default: beside ffbatch, else PATH)\n"
      << tools::molecule_option_usage() << tools::job_option_usage()
      << "Exit status: 0 every molecule succeeded, 1 some failed, 2 usage or unreadable input.\n";
}

struct Request {
  std::vector<std::string> inputs;
  std::vector<std::string> lists;
  std::string step;
  std::string collect;
  std::string collect_sdf; // --collect's --sdf
  std::string kelma, symmetry;
  std::string program = "both";
  bool stream = false;
  tools::StreamOptions streaming;
  std::size_t molecules_per_task = 0; // 0: as the cluster's array limit asks
  std::string stream_task;            // a task's OUT/stream.args
  std::string shards;                 // a task's "FIRST-LAST"
  std::vector<std::string> arguments; // the command line, for the tasks to repeat
  tools::BatchOptions batch;
  tools::JobOptions job;
  tools::MoleculeOptions molecules;
};

// The value of flag: the first or the second of its two named choices.
template <class T>
T one_of(std::string_view flag, std::string_view text, std::pair<std::string_view, T> first,
         std::pair<std::string_view, T> second) {
  if (text == first.first)
    return first.second;
  if (text == second.first)
    return second.second;
  throw tools::ToolError(std::string(flag) + " takes " + std::string(first.first) + " or " +
                         std::string(second.first) + ", not " + std::string(text));
}

// An option of the Slurm script: one option word, on one line.
std::string slurm_option(std::string_view text) {
  if (!text.starts_with("-") || text.find_first_of("\n\r") != std::string_view::npos)
    throw tools::ToolError("--slurm-option takes one sbatch option such as --time=00:10:00, not '" +
                           std::string(text) + "'");
  return std::string(text);
}

bool parse_batch_flag(Request& request, tools::Arguments& args, std::string_view arg) {
  if (arg == "-o" || arg == "--out")
    request.batch.out = args.value(arg);
  else if (arg == "-j") {
    request.batch.workers = tools::positive_count(arg, args.value(arg));
    request.batch.workers_given = true;
  } else if (arg == "--resume")
    request.batch.resume = true;
  else if (arg == "--emit")
    request.batch.dispatch = one_of<tools::Dispatch>(
        arg, args.value(arg), {"parallel", tools::Dispatch::parallel_job_list},
        {"slurm", tools::Dispatch::slurm_array});
  else if (arg == "--slurm-option")
    request.batch.slurm_options.push_back(slurm_option(args.value(arg)));
  else if (arg == "--symmetry-input")
    request.batch.programs.symmetry_geometry = one_of<tools::SymmetryGeometry>(
        arg, args.value(arg), {"final", tools::SymmetryGeometry::final},
        {"start", tools::SymmetryGeometry::start});
  else if (arg == "--timeout")
    request.batch.programs.timeout_seconds = request.molecules.time_limit_seconds =
        tools::positive_count(arg, args.value(arg));
  else if (arg == "--stream")
    request.stream = true;
  else if (arg == "--shard-size")
    request.streaming.shard_size =
        static_cast<std::size_t>(tools::positive_count(arg, args.value(arg)));
  else if (arg == "--keep-records")
    request.streaming.programs.keep_records = true;
  else if (arg == "--symmetrised")
    request.streaming.programs.keep_symmetrised = true;
  else if (arg == "--molecules-per-task")
    request.molecules_per_task =
        static_cast<std::size_t>(tools::positive_count(arg, args.value(arg)));
  else if (arg == "--stream-task")
    request.stream_task = args.value(arg);
  else if (arg == "--shards")
    request.shards = args.value(arg);
  else if (arg == "--list")
    request.lists.push_back(args.value(arg));
  else if (arg == "--step")
    request.step = args.value(arg);
  else if (arg == "--collect")
    request.collect = args.value(arg);
  else if (arg == "--sdf")
    request.collect_sdf = args.value(arg);
  else if (arg == "-p" || arg == "--program")
    request.program = args.value(arg);
  else if (arg == "--kelma")
    request.kelma = args.value(arg);
  else if (arg == "--symmetry")
    request.symmetry = args.value(arg);
  else
    return false;
  return true;
}

Request parse_arguments(int argc, char** argv) {
  Request request;
  request.arguments.assign(argv + 1, argv + argc);
  request.batch.out = "ffbatch-out";
  request.batch.workers = common::available_cpus();
  tools::Arguments args(argc, argv);
  while (!args.done()) {
    const std::string_view arg = args.next();
    if (!arg.starts_with("-") || arg == "-")
      request.inputs.emplace_back(arg);
    else if (!parse_batch_flag(request, args, arg) &&
             !tools::set_molecule_option(request.molecules, arg, args) &&
             !tools::set_job_option(request.job, arg, args.value(arg)))
      throw tools::ToolError("unknown option " + std::string(arg));
  }
  if (request.program != "kelma" && request.program != "symmetry" && request.program != "both")
    throw tools::ToolError("--program takes kelma, symmetry or both, not " + request.program);
  return request;
}

tools::Programs programs(const Request& request) {
  tools::Programs out = request.batch.programs;
  out.run_kelma = request.program != "symmetry";
  out.run_symmetry = request.program != "kelma";
  if (out.run_kelma)
    out.kelma = tools::locate_program("kelma", request.kelma);
  if (out.run_symmetry)
    out.symmetry = tools::locate_program("symmetry", request.symmetry);
  return out;
}

// The per-molecule step of the emitted job lists; its exit status tells parallel or Slurm.
int run_step(const Request& request) {
  // Canonical: a Slurm task names its folder through the link of its task number.
  const auto lines = tools::run_step(fs::canonical(request.step), programs(request));
  int status = 0;
  for (const tools::StatusLine& line : lines)
    if (!tools::succeeded(line)) {
      std::cerr << "ffbatch: " << line.molecule << ": " << line.program << ": " << line.outcome
                << '\n';
      status = failure_status;
    }
  return status;
}

tools::StreamOptions stream_options(const Request& request) {
  tools::StreamOptions options = request.streaming;
  options.out = request.batch.out;
  options.workers = request.batch.workers;
  options.resume = request.batch.resume;
  options.timeout_seconds = request.molecules.time_limit_seconds;
  options.programs.run_kelma = request.program != "symmetry";
  options.programs.run_symmetry = request.program != "kelma";
  options.programs.symmetry_geometry = request.batch.programs.symmetry_geometry;
  return options;
}

// What the tasks repeat: the folder to run in, then the command line without its --emit.
void write_task_arguments(const Request& request, const fs::path& file) {
  std::string text = fs::current_path().string() + "\n";
  for (std::size_t k = 0; k < request.arguments.size(); ++k) {
    if (request.arguments[k] == "--emit") {
      ++k;
      continue;
    }
    text += request.arguments[k] + "\n";
  }
  tools::write_file_atomic(file, text);
}

// Cuts a streamed batch into tasks of whole shards for GNU parallel or a Slurm array.
int emit_streamed(const Request& request, const std::vector<fs::path>& files,
                  const tools::StreamOptions& options) {
  fs::create_directories(options.out);
  const tools::FolderLock lock(options.out);
  tools::StreamTasks tasks;
  tasks.arguments = fs::absolute(options.out / tools::batch_layout::stream_arguments);
  write_task_arguments(request, tasks.arguments);
  tasks.shards = tools::count_shards(files, request.molecules, options.shard_size);
  tools::write_file_atomic(options.out / tools::batch_layout::stream_shards,
                           std::to_string(tasks.shards) + "\n");
  if (request.molecules_per_task > 0)
    tasks.per_task = (request.molecules_per_task + options.shard_size - 1) / options.shard_size;
  else if (request.batch.dispatch == tools::Dispatch::slurm_array)
    tasks.per_task = std::max<std::size_t>(1, (tasks.shards + tools::slurm_array_limit() - 1) /
                                                  tools::slurm_array_limit());
  if (request.batch.dispatch == tools::Dispatch::slurm_array)
    tools::emit_stream_slurm(tasks, request.batch);
  else
    tools::emit_stream_parallel(tasks, request.batch);
  return 0;
}

int run_streamed(const Request& request, const std::vector<fs::path>& files) {
  const tools::StreamOptions options = stream_options(request);
  if (request.batch.dispatch != tools::Dispatch::run_here)
    return emit_streamed(request, files, options);
  return tools::run_stream(files, request.job, request.molecules, options);
}

// "FIRST-LAST", 1-based, as 0-based shards.
tools::ShardRange shard_range(const std::string& text) {
  const std::size_t dash = text.find('-');
  int first = 0;
  int last = 0;
  if (dash == std::string::npos || !tools::parse_int(text.substr(0, dash), first) ||
      !tools::parse_int(text.substr(dash + 1), last) || first < 1 || last < first)
    throw tools::ToolError("--shards takes FIRST-LAST, for example 3-4, not '" + text + "'");
  return {static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - 1)};
}

Request parse_arguments(int argc, char** argv);

// One task of an emitted streamed batch: the command line of the emitting run, in its folder, on
// the shards given and the CPUs the task was given.
int run_stream_task(const Request& task) {
  const std::vector<std::string> lines = tools::split_lines(tools::read_file(task.stream_task));
  if (lines.empty())
    throw tools::ToolError(task.stream_task + ": no folder to run in");
  fs::current_path(lines[0]);
  std::vector<std::string> words = {"ffbatch"};
  words.insert(words.end(), lines.begin() + 1, lines.end());
  std::vector<char*> argv;
  for (std::string& word : words)
    argv.push_back(word.data());
  const Request request = parse_arguments(static_cast<int>(argv.size()), argv.data());
  const auto files = tools::expand_inputs(request.inputs, request.lists);
  tools::StreamOptions options = stream_options(request);
  options.shards = shard_range(task.shards);
  options.workers = common::available_cpus();
  options.resume = true;
  return tools::run_stream(files, request.job, request.molecules, options);
}

// Gathers the results of emitted tasks: the shard tables of a streamed batch, else the molecule
// folders'.
int collect(const fs::path& out, const fs::path& sdf) {
  const fs::path shards = out / tools::batch_layout::stream_shards;
  if (!fs::exists(shards)) {
    if (!sdf.empty())
      throw tools::ToolError("--sdf gathers the shards of a streamed batch; " + out.string() +
                             " has a folder per molecule");
    return tools::collect_status(out);
  }
  int count = 0;
  const std::vector<std::string> lines = tools::split_lines(tools::read_file(shards));
  if (lines.empty() || !tools::parse_int(tools::trim(lines[0]), count) || count < 0)
    throw tools::ToolError(shards.string() + " is damaged");
  return tools::collect_shards(out, static_cast<std::size_t>(count), sdf);
}

int run(const Request& request) {
  if (!request.step.empty())
    return run_step(request);
  if (!request.stream_task.empty())
    return run_stream_task(request);
  if (!request.collect.empty())
    return collect(request.collect, request.collect_sdf);
  const auto files = tools::expand_inputs(request.inputs, request.lists);
  if (files.empty() && request.molecules.smiles.empty())
    throw tools::ToolError("no input given");
  if (request.stream)
    return run_streamed(request, files);
  const std::vector<tools::PreparedMolecule> molecules =
      tools::prepare_molecules(files, request.job, request.molecules);
  tools::BatchOptions batch = request.batch;
  batch.programs = programs(request);
  return tools::run_batch(molecules, batch);
}

} // namespace

int main(int argc, char** argv) {
  return tools::run_tool("ffbatch", argc, argv, usage, parse_arguments, run);
}
