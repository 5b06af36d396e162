#include "tools/batch.hpp"

#include <atomic>
#include <chrono>
#include <iostream>
#include <mutex>
#include <thread>

#include "tools/files.hpp"
#include "tools/run_output.hpp"

namespace tools {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view cycle_limit_stop = "STOP 666 statement executed";
constexpr std::string_view stop_mark = "STOP ";
constexpr int input_error_status = 2;
constexpr int seconds_decimals = 2;
constexpr auto progress_interval = std::chrono::seconds(10);

const std::string input_name = "input";
const std::string template_name = "molecule.mol2";
const std::string preparation_name = "preparation.tsv";
const std::string result_name = "result.tsv";
const std::string molecules_name = "molecules.txt";
const std::string status_name = "status.tsv";
const std::string parallel_name = "jobs.txt";
const std::string tasks_name = "tasks.txt";
const std::string slurm_name = "jobs.slurm";

// Files a program may leave in its folder; cleared before it runs so that none is stale.
const std::vector<std::string> program_files = {"debug", "fort.8", "fort.9"};

struct ProgramRun {
  std::string name;
  fs::path path;
};

std::vector<ProgramRun> selected(const Programs& programs) {
  std::vector<ProgramRun> runs;
  if (programs.run_kelma)
    runs.push_back({"kelma", programs.kelma});
  if (programs.run_symmetry)
    runs.push_back({"symmetry", programs.symmetry});
  return runs;
}

std::string program_option(const Programs& programs) {
  if (programs.run_kelma && programs.run_symmetry)
    return "both";
  return programs.run_kelma ? "kelma" : "symmetry";
}

void fill_cycles(StatusLine& line, const RunOutput& run) {
  if (run.cycles.empty())
    return;
  line.cycles = std::to_string(run.cycles.back().cycle);
  line.energy = run.cycles.back().energy;
  line.rms = run.cycles.back().rms;
}

// The outcome of a run that ended through the program's own logic (exit status 0).
std::string own_outcome(const std::string& program, const RunOutput& run, std::string_view errors) {
  if (errors.find(cycle_limit_stop) != std::string_view::npos)
    return "cycle limit";
  if (errors.find(stop_mark) != std::string_view::npos)
    return "numbered report";
  if (run.final_geometry.empty())
    return "failed: no final geometry";
  if (program == "kelma")
    return "converged";
  if (run.point_group.empty())
    return "failed: no point group record";
  return "point group " + run.point_group;
}

std::vector<std::string> read_lines(const fs::path& file) {
  std::vector<std::string> lines;
  for (const std::string& line : split_lines(read_file(file)))
    if (!trim(line).empty())
      lines.push_back(line);
  return lines;
}

std::string join_status(const std::vector<StatusLine>& lines) {
  std::string text;
  for (const StatusLine& line : lines)
    text += status_text(line) + "\n";
  return text;
}

// The coverage and note columns that the preparation left in the folder; "-" for a keyword
// input's.
StatusLine preparation_of(const fs::path& folder) {
  StatusLine line;
  const fs::path file = folder / preparation_name;
  if (!fs::exists(file))
    return line;
  const std::string text(trim(split_lines(read_file(file)).at(0)));
  const std::size_t tab = text.find('\t');
  line.no_parameter = text.substr(0, tab);
  if (tab != std::string::npos)
    line.notes = text.substr(tab + 1);
  return line;
}

fs::path step_folder(const fs::path& out, const std::string& stem) {
  return fs::absolute(out / stem).lexically_normal();
}

// Writes the molecule's folder; false when a resumed run finds it finished with this input.
bool prepare_folder(const Prepared& molecule, const fs::path& folder, bool resume) {
  fs::create_directories(folder);
  const fs::path result = folder / result_name;
  if (resume && fs::exists(result) && fs::exists(folder / input_name) &&
      read_file(folder / input_name) == molecule.input)
    return false;
  fs::remove(result);
  write_file_atomic(folder / input_name, molecule.input);
  if (molecule.mol2.empty())
    fs::remove(folder / template_name);
  else
    write_file_atomic(folder / template_name, molecule.mol2);
  write_file_atomic(folder / preparation_name,
                    molecule.coverage + "\t" + molecule.note_tags + "\n");
  return true;
}

class Progress {
public:
  explicit Progress(std::size_t total) : total_(total) {}

  void finished(const std::string& molecule, const std::vector<StatusLine>& lines) {
    const std::lock_guard lock(mutex_);
    ++done_;
    for (const StatusLine& line : lines)
      if (!succeeded(line)) {
        ++failed_;
        std::cerr << "ffbatch: " << molecule << ": " << line.program << ": " << line.outcome
                  << '\n';
      }
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ >= progress_interval) {
      last_ = now;
      const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now - start_).count();
      std::cerr << "ffbatch: " << done_ << "/" << total_ << " molecules done, " << failed_
                << " failed runs, " << elapsed << " s\n";
    }
  }

private:
  std::mutex mutex_;
  std::size_t total_;
  std::size_t done_ = 0;
  std::size_t failed_ = 0;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point last_ = start_;
};

void run_pool(const std::vector<fs::path>& folders, const BatchOptions& options) {
  Progress progress(folders.size());
  std::atomic<std::size_t> next = 0;
  const auto worker = [&] {
    for (std::size_t k = next++; k < folders.size(); k = next++) {
      std::vector<StatusLine> lines;
      try {
        lines = run_step(folders[k], options.programs);
      } catch (const std::exception& e) {
        lines.push_back(
            {folders[k].filename().string(), "-", "-", std::string("failed: ") + e.what()});
      }
      progress.finished(folders[k].filename().string(), lines);
    }
  };
  std::vector<std::jthread> pool;
  const std::size_t count = std::min(folders.size(), static_cast<std::size_t>(options.workers));
  for (std::size_t w = 0; w < count; ++w)
    pool.emplace_back(worker);
}

// The step of one molecule as a shell command; folder_word is the folder as a shell word.
std::string step_command(std::string_view folder_word, const Programs& programs) {
  std::string command = shell_quote(own_executable().string()) + " --step " +
                        std::string(folder_word) + " --program " + program_option(programs);
  for (const ProgramRun& run : selected(programs))
    command += " --" + run.name + " " + shell_quote(run.path.string());
  return command;
}

void emit_parallel(const std::vector<fs::path>& folders, const BatchOptions& options) {
  std::string jobs;
  for (const fs::path& folder : folders)
    jobs += step_command(shell_quote(folder.string()), options.programs) + "\n";
  const fs::path file = options.out / parallel_name;
  write_file_atomic(file, jobs);
  std::cerr << "ffbatch: " << folders.size() << " jobs in " << file.string()
            << "; run them with: parallel < " << shell_quote(file.string())
            << "; then: ffbatch --collect " << shell_quote(options.out.string()) << '\n';
}

std::string slurm_script(std::size_t tasks, const fs::path& task_list,
                         const BatchOptions& options) {
  std::string array = "1-" + std::to_string(tasks);
  if (options.workers_given)
    array += "%" + std::to_string(options.workers);
  return "#!/bin/bash\n"
         "#SBATCH --job-name=ffbatch\n"
         "#SBATCH --array=" +
         array +
         "\n"
         "#SBATCH --ntasks=1\n"
         "#SBATCH --cpus-per-task=1\n"
         "# One molecule per array task: task k runs the step of the k-th folder of the list.\n"
         "set -eu\n"
         "folder=$(sed -n \"${SLURM_ARRAY_TASK_ID}p\" " +
         shell_quote(task_list.string()) +
         ")\n"
         "exec " +
         step_command("\"$folder\"", options.programs) + "\n";
}

void emit_slurm(const std::vector<fs::path>& folders, const BatchOptions& options) {
  if (folders.empty()) {
    std::cerr << "ffbatch: every molecule is finished; no Slurm script written\n";
    return;
  }
  std::string list;
  for (const fs::path& folder : folders)
    list += folder.string() + "\n";
  const fs::path task_list = fs::absolute(options.out / tasks_name).lexically_normal();
  write_file_atomic(task_list, list);
  const fs::path script = options.out / slurm_name;
  write_file_atomic(script, slurm_script(folders.size(), task_list, options));
  std::cerr << "ffbatch: " << folders.size() << " array tasks in " << script.string()
            << "; submit with: sbatch " << shell_quote(script.string())
            << "; then: ffbatch --collect " << shell_quote(options.out.string()) << '\n';
}

} // namespace

std::string status_header() {
  return "molecule\tatoms\tprogram\toutcome\tcycles\tenergy\trms_force\tseconds\tno_parameter\t"
         "notes";
}

std::string status_text(const StatusLine& line) {
  return line.molecule + "\t" + line.atoms + "\t" + line.program + "\t" + line.outcome + "\t" +
         line.cycles + "\t" + line.energy + "\t" + line.rms + "\t" + line.seconds + "\t" +
         line.no_parameter + "\t" + line.notes;
}

StatusLine parse_status(std::string_view text) {
  std::vector<std::string> fields;
  std::size_t pos = 0;
  for (std::size_t tab = text.find('\t'); tab != std::string_view::npos;
       tab = text.find('\t', pos)) {
    fields.emplace_back(text.substr(pos, tab - pos));
    pos = tab + 1;
  }
  fields.emplace_back(text.substr(pos));
  constexpr std::size_t field_count = 10;
  if (fields.size() != field_count)
    throw ToolError("damaged status line: " + std::string(text));
  return {fields[0], fields[1], fields[2], fields[3], fields[4],
          fields[5], fields[6], fields[7], fields[8], fields[9]};
}

bool succeeded(const StatusLine& line) {
  return line.outcome == "converged" || line.outcome.starts_with("point group ");
}

StatusLine classify_run(const std::string& program, const ChildResult& child,
                        std::string_view output, std::string_view errors) {
  StatusLine line;
  line.program = program;
  if (!child.started) {
    line.outcome = "failed: " + child.error;
    return line;
  }
  line.seconds = fixed(child.seconds, seconds_decimals);
  if (child.signal != 0) {
    line.outcome = "failed: signal " + std::to_string(child.signal);
  } else if (child.exit_status == input_error_status) {
    line.outcome = "input error";
  } else if (child.exit_status != 0) {
    line.outcome = "failed: exit status " + std::to_string(child.exit_status);
  } else {
    RunOutput run;
    try {
      run = parse_run_output(output);
    } catch (const ToolError& e) {
      // A numbered report may leave records of its own on standard output.
      line.outcome = errors.find(stop_mark) != std::string_view::npos
                         ? own_outcome(program, run, errors)
                         : "failed: standard output " + std::string(e.what());
      return line;
    }
    line.outcome = own_outcome(program, run, errors);
    if (program == "kelma")
      fill_cycles(line, run);
  }
  return line;
}

std::vector<StatusLine> run_step(const fs::path& folder, const Programs& programs) {
  const fs::path input = folder / input_name;
  const int atoms = natoms_of(read_file(input));
  const StatusLine prepared = preparation_of(folder);
  std::vector<StatusLine> lines;
  for (const ProgramRun& run : selected(programs)) {
    const fs::path place = folder / run.name;
    fs::create_directories(place);
    for (const std::string& name : program_files)
      fs::remove(place / name);
    const ChildFiles files{place, input, place / "stdout", place / "stderr"};
    const ChildResult child = run_child(run.path, files);
    const std::string output = child.started ? read_file(files.output) : "";
    const std::string errors = child.started ? read_file(files.errors) : "";
    StatusLine line = classify_run(run.name, child, output, errors);
    line.molecule = folder.filename().string();
    line.atoms = atoms > 0 ? std::to_string(atoms) : "-";
    line.no_parameter = prepared.no_parameter;
    line.notes = prepared.notes;
    lines.push_back(std::move(line));
  }
  write_file_atomic(folder / result_name, join_status(lines));
  return lines;
}

int run_batch(const std::vector<Prepared>& molecules, const BatchOptions& options) {
  fs::create_directories(options.out);
  const std::vector<std::string> stems =
      unique_stems(molecules, {molecules_name, status_name, parallel_name, tasks_name, slurm_name});
  std::vector<fs::path> to_run;
  std::string listed;
  bool skipped = false;
  for (std::size_t k = 0; k < molecules.size(); ++k) {
    const Prepared& molecule = molecules[k];
    const fs::path folder = step_folder(options.out, stems[k]);
    listed += stems[k] + "\n";
    for (const std::string& note : molecule.notes)
      std::cerr << "ffbatch: " << molecule.origin << ": " << note << '\n';
    if (!molecule.error.empty()) {
      std::cerr << "ffbatch: " << molecule.origin << ": " << molecule.error << "; skipped\n";
      fs::create_directories(folder);
      fs::remove(folder / input_name);
      StatusLine line{stems[k], molecule.atoms > 0 ? std::to_string(molecule.atoms) : "-", "-",
                      "skipped"};
      line.no_parameter = molecule.coverage;
      line.notes = molecule.note_tags;
      write_file_atomic(folder / result_name, join_status({line}));
      skipped = true;
    } else if (prepare_folder(molecule, folder, options.resume)) {
      to_run.push_back(folder);
    }
  }
  write_file_atomic(options.out / molecules_name, listed);
  if (options.resume)
    std::cerr << "ffbatch: resuming: " << molecules.size() - to_run.size()
              << " molecules already finished\n";
  switch (options.emit) {
  case Emit::parallel:
    emit_parallel(to_run, options);
    return skipped ? 1 : 0;
  case Emit::slurm:
    emit_slurm(to_run, options);
    return skipped ? 1 : 0;
  case Emit::none:
    break;
  }
  run_pool(to_run, options);
  return collect_status(options.out);
}

int collect_status(const fs::path& out) {
  std::vector<StatusLine> lines;
  for (const std::string& stem : read_lines(out / molecules_name)) {
    const fs::path result = out / stem / result_name;
    if (!fs::exists(result)) {
      lines.push_back({stem, "-", "-", "not run"});
      continue;
    }
    for (const std::string& text : read_lines(result))
      lines.push_back(parse_status(text));
  }
  write_file_atomic(out / status_name, status_header() + "\n" + join_status(lines));
  std::size_t failures = 0;
  for (const StatusLine& line : lines)
    failures += succeeded(line) ? 0 : 1;
  if (failures > 0)
    std::cerr << "ffbatch: " << failures << " of " << lines.size() << " runs failed (see "
              << (out / status_name).string() << ")\n";
  return failures > 0 ? 1 : 0;
}

} // namespace tools
