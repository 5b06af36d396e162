#include "tools/batch/batch.hpp"
#include "tools/batch/molecule_run.hpp"

#include <atomic>
#include <chrono>
#include <iostream>
#include <mutex>
#include <thread>

#include "common/channels.hpp"
#include "tools/batch/job_lists.hpp"
#include "tools/batch/progress.hpp"
#include "tools/core/batch_layout.hpp"
#include "tools/core/cpu_share.hpp"
#include "tools/core/files.hpp"
#include "tools/core/folder_lock.hpp"
#include "tools/core/group_figures.hpp"
#include "tools/core/run_outcome.hpp"
#include "tools/core/run_output.hpp"
#include "tools/core/tokens.hpp"
#include "tools/core/tool_error.hpp"

namespace tools {

namespace fs = std::filesystem;

namespace {

namespace layout = batch_layout;

// Files a program may leave in its folder; cleared before it runs so that none is stale.
const std::vector<std::string> program_files = {common::listing_file, common::unnamed_listing_file,
                                                common::trace_file};
// The listing a numbered report goes to: "debug" when the program opened it, else "fort.8".
const std::vector<std::string> listing_files = {common::listing_file, common::unnamed_listing_file};

// One program run of a step, and what it left.
struct ProgramRun {
  StatusLine line;
  std::string output;
};

std::vector<std::string> read_lines(const fs::path& file) {
  std::vector<std::string> lines;
  for (const std::string& line : split_lines(read_file(file)))
    if (!trim(line).empty())
      lines.push_back(line);
  return lines;
}

// The coverage and note columns that the preparation left in the folder; "-" for a keyword
// input's.
StatusLine preparation_of(const fs::path& folder) {
  StatusLine line;
  const fs::path file = folder / layout::preparation;
  if (!fs::exists(file))
    return line;
  const std::string text(trim(split_lines(read_file(file)).at(0)));
  const std::size_t tab = text.find('\t');
  line.no_parameter = text.substr(0, tab);
  if (tab != std::string::npos)
    line.notes = text.substr(tab + 1);
  return line;
}

// What the step of a folder runs; a resumed run takes a finished step only when it ran the same.
std::string settings_text(const Programs& programs) {
  return std::string("kelma ") + (programs.run_kelma ? "yes" : "no") + "\nsymmetry " +
         (programs.run_symmetry ? "yes" : "no") + "\nsymmetry input " +
         (programs.symmetry_geometry == SymmetryGeometry::final ? "final" : "start") +
         "\ntimeout " + std::to_string(programs.timeout_seconds) + "\n";
}

bool same_file(const fs::path& file, std::string_view text) {
  return fs::exists(file) && read_file(file) == text;
}

fs::path step_folder(const fs::path& out, const std::string& stem) {
  return fs::absolute(out / stem).lexically_normal();
}

// The status lines of a molecule's result.tsv; ToolError when one is damaged (a result.tsv
// written before status fields were made safe, or edited by hand).
std::vector<StatusLine> result_lines(const fs::path& result) {
  std::vector<StatusLine> lines;
  for (const std::string& text : read_lines(result))
    lines.push_back(parse_status(text));
  return lines;
}

bool finished_step(const fs::path& result) {
  if (!fs::exists(result))
    return false;
  try {
    result_lines(result);
    return true;
  } catch (const ToolError&) {
    return false;
  }
}

// Writes the molecule's folder; false when a resumed run finds it finished with this input and
// these programs. The result is removed first, so that a batch killed while it writes the
// folder leaves the step unfinished.
bool prepare_folder(const PreparedMolecule& molecule, const fs::path& folder,
                    const BatchOptions& options) {
  fs::create_directories(folder);
  const fs::path result = folder / layout::result;
  const std::string settings = settings_text(options.programs);
  if (options.resume && finished_step(result) &&
      same_file(folder / layout::input, molecule.input) &&
      same_file(folder / layout::settings, settings))
    return false;
  fs::remove(result);
  write_file_atomic(folder / layout::input, molecule.input);
  write_file_atomic(folder / layout::settings, settings);
  if (molecule.mol2.empty())
    fs::remove(folder / layout::template_mol2);
  else
    write_file_atomic(folder / layout::template_mol2, molecule.mol2);
  write_file_atomic(folder / layout::preparation,
                    molecule.coverage + "\t" + molecule.note_tags + "\n");
  return true;
}

// Runs the steps on a pool of workers. A full disk stops the pool: the workers finish what they
// run, take no more, and the first report is thrown once they are done.
void run_pool(const std::vector<fs::path>& folders, const BatchOptions& options) {
  Progress progress(folders.size());
  std::atomic<std::size_t> next = 0;
  std::mutex full_mutex;
  std::string disk_full;
  const std::size_t count = std::min(folders.size(), static_cast<std::size_t>(options.workers));
  const auto worker = [&](std::size_t w) {
    take_cpu_share(static_cast<int>(w), static_cast<int>(count));
    for (std::size_t k = next++; k < folders.size(); k = next++) {
      std::vector<StatusLine> lines;
      try {
        lines = run_step(folders[k], options.programs);
      } catch (const DiskFull& e) {
        const std::lock_guard lock(full_mutex);
        disk_full = disk_full.empty() ? e.what() : disk_full;
        next = folders.size();
        return;
      } catch (const std::exception& e) {
        lines.push_back(
            {folders[k].filename().string(), "-", "-", outcome_text(Outcome::failed, e.what())});
      }
      progress.finished(lines);
    }
  };
  {
    std::vector<std::jthread> pool;
    for (std::size_t w = 0; w < count; ++w)
      pool.emplace_back(worker, w);
  }
  if (!disk_full.empty())
    throw DiskFull(disk_full + "; the molecules without a result run again with --resume");
}

std::string listing_text(const fs::path& place) {
  for (const std::string& name : listing_files)
    if (fs::exists(place / name))
      return read_file(place / name);
  return "";
}

// Runs one program of a step in its own sub-folder of the molecule's folder.
ProgramRun run_program(std::string_view name, const fs::path& program, const fs::path& folder,
                       const fs::path& input, int timeout_seconds) {
  const fs::path place = folder / name;
  fs::create_directories(place);
  for (const std::string& file : program_files)
    fs::remove(place / file);
  const ChildFiles files{place, input, place / layout::program_output,
                         place / layout::program_errors};
  const ChildResult child = run_child(program, files, timeout_seconds);
  check_space(place);
  ProgramRun run;
  if (!child.started) {
    run.line = classify_run(name, child, {});
    return run;
  }
  run.output = read_file(files.output);
  const std::string errors = read_file(files.errors);
  run.line = classify_run(name, child, {run.output, errors, listing_text(place)});
  return run;
}

// kelma's final geometry as symmetry's input, in the molecule's folder; empty when kelma did
// not converge.
fs::path optimised_input(const fs::path& folder, const ProgramRun& kelma) {
  if (outcome_of(kelma.line.outcome) != Outcome::converged)
    return {};
  const fs::path file = folder / layout::optimised;
  write_file_atomic(file, with_coordinates(read_file(folder / layout::input),
                                           parse_run_output(kelma.output).final_geometry));
  return file;
}

std::vector<StatusLine> program_lines(const fs::path& folder, const Programs& programs) {
  const fs::path input = folder / layout::input;
  fs::remove(folder / layout::optimised);
  std::vector<StatusLine> lines;
  fs::path symmetry_input = input;
  if (programs.run_kelma) {
    const ProgramRun kelma =
        run_program(kelma_program, programs.kelma, folder, input, programs.timeout_seconds);
    lines.push_back(kelma.line);
    if (programs.run_symmetry && programs.symmetry_geometry == SymmetryGeometry::final) {
      symmetry_input = optimised_input(folder, kelma);
      if (symmetry_input.empty()) {
        lines.push_back(not_symmetrised(kelma.line));
        return lines;
      }
    }
  }
  if (programs.run_symmetry) {
    lines.push_back(run_program(symmetry_program, programs.symmetry, folder, symmetry_input,
                                programs.timeout_seconds)
                        .line);
    if (outcome_of(lines.back().outcome) == Outcome::point_group)
      weigh_line(lines.back(), weigh_input(read_file(symmetry_input)));
  }
  return lines;
}

// Why a listed molecule has no result: what Slurm said of its task, when it said anything.
std::string missing_result_detail(const fs::path& folder) {
  const fs::path slurm_errors = folder / layout::slurm_errors;
  if (fs::exists(slurm_errors)) {
    const auto lines = read_lines(slurm_errors);
    if (!lines.empty())
      return "no result; the Slurm task's " + std::string(layout::slurm_errors) +
             " ends: " + std::string(trim(lines.back()));
  }
  return "no result: the step did not finish; --resume runs it";
}

// Gathers the result.tsv of every listed molecule into status.tsv, written last.
int gather_status(const fs::path& out) {
  std::vector<StatusLine> lines;
  for (const std::string& stem : read_lines(out / layout::molecules)) {
    const fs::path result = out / stem / layout::result;
    if (!fs::exists(result)) {
      StatusLine line{stem, "-", "-", outcome_text(Outcome::not_run)};
      line.detail = missing_result_detail(out / stem);
      lines.push_back(line);
      continue;
    }
    try {
      for (StatusLine& line : result_lines(result))
        lines.push_back(std::move(line));
    } catch (const ToolError& e) {
      StatusLine line{stem, "-", "-", outcome_text(Outcome::not_run)};
      line.detail = std::string(e.what()) + "; --resume runs the step again";
      lines.push_back(line);
    }
  }
  write_file_atomic(out / layout::status, status_header() + "\n" + status_tsv_lines(lines));
  std::size_t failures = 0;
  for (const StatusLine& line : lines)
    failures += succeeded(line) ? 0 : 1;
  return batch_end(failures, lines.size(), out / layout::status);
}

} // namespace

StatusLine not_symmetrised(const StatusLine& kelma) {
  StatusLine line;
  line.program = symmetry_program;
  line.outcome = outcome_text(Outcome::not_symmetrised);
  line.detail = "kelma did not converge (" + kelma.outcome +
                "); symmetry runs on the optimised geometry only (--symmetry-input start takes "
                "the starting one)";
  return line;
}

std::vector<StatusLine> run_step(const fs::path& folder, const Programs& programs) {
  const int atoms = natoms_of(read_file(folder / layout::input));
  const StatusLine prepared = preparation_of(folder);
  std::vector<StatusLine> lines = program_lines(folder, programs);
  for (StatusLine& line : lines) {
    line.molecule = folder.filename().string();
    line.atoms = atoms > 0 ? std::to_string(atoms) : "-";
    line.no_parameter = prepared.no_parameter;
    line.notes = prepared.notes;
  }
  write_file_atomic(folder / layout::result, status_tsv_lines(lines));
  return lines;
}

int run_batch(const std::vector<PreparedMolecule>& molecules, const BatchOptions& options) {
  fs::create_directories(options.out);
  const FolderLock lock(options.out);
  // status.tsv is the mark of a finished batch: it goes first and comes back last.
  fs::remove(options.out / layout::status);
  std::vector<std::string> reserved = {std::string(layout::molecules), std::string(layout::status),
                                       std::string(layout::lock)};
  reserved.insert(reserved.end(), job_list_names.begin(), job_list_names.end());
  const std::vector<std::string> stems = unique_stems(molecules, reserved);
  std::vector<fs::path> to_run;
  std::string listed;
  bool skipped = false;
  for (std::size_t k = 0; k < molecules.size(); ++k) {
    const PreparedMolecule& molecule = molecules[k];
    const fs::path folder = step_folder(options.out, stems[k]);
    listed += stems[k] + "\n";
    report_preparation(std::cerr, "ffbatch", molecule);
    if (!molecule.error.empty()) {
      fs::create_directories(folder);
      fs::remove(folder / layout::input);
      StatusLine line = skipped_line(molecule);
      line.molecule = stems[k];
      write_file_atomic(folder / layout::result, status_tsv_lines({line}));
      skipped = true;
    } else if (prepare_folder(molecule, folder, options)) {
      to_run.push_back(folder);
    }
  }
  write_file_atomic(options.out / layout::molecules, listed);
  if (options.resume)
    std::cerr << "ffbatch: resuming: " << molecules.size() - to_run.size()
              << " molecules already finished\n";
  switch (options.dispatch) {
  case Dispatch::parallel_job_list:
    emit_parallel(to_run, options);
    return skipped ? 1 : 0;
  case Dispatch::slurm_array:
    emit_slurm(to_run, options);
    return skipped ? 1 : 0;
  case Dispatch::run_here:
    break;
  }
  run_pool(to_run, options);
  return gather_status(options.out);
}

int collect_status(const fs::path& out) {
  const FolderLock lock(out);
  return gather_status(out);
}

} // namespace tools
