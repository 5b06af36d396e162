#include "tools/batch/job_lists.hpp"

#include <iostream>

#include "tools/core/batch_layout.hpp"
#include "tools/core/files.hpp"
#include "tools/core/status.hpp"

namespace tools {

namespace fs = std::filesystem;

namespace {

const std::string parallel_name(batch_layout::parallel_jobs);
const std::string tasks_name(batch_layout::slurm_tasks);
const std::string slurm_name(batch_layout::slurm_script);

std::string program_option(const Programs& programs) {
  if (programs.run_kelma && programs.run_symmetry)
    return "both";
  return std::string(programs.run_kelma ? kelma_program : symmetry_program);
}

// The step of one molecule as a shell command; folder_word is the folder as a shell word.
std::string step_command(std::string_view folder_word, const Programs& programs) {
  std::string command = shell_quote(own_executable().string()) + " --step " +
                        std::string(folder_word) + " --program " + program_option(programs);
  if (programs.run_kelma)
    command += " --kelma " + shell_quote(programs.kelma.string());
  if (programs.run_symmetry)
    command += " --symmetry " + shell_quote(programs.symmetry.string());
  if (programs.symmetry_input == SymmetryInput::start)
    command += " --symmetry-input start";
  if (programs.timeout_seconds > 0)
    command += " --timeout " + std::to_string(programs.timeout_seconds);
  return command;
}

std::string slurm_script(std::size_t tasks, const fs::path& task_links,
                         const BatchOptions& options) {
  std::string array = "1-" + std::to_string(tasks);
  if (options.workers_given) {
    array += '%';
    array += std::to_string(options.workers);
  }
  const std::string task_folder = (task_links / "%a").string();
  std::string script = "#!/bin/bash\n#SBATCH --job-name=ffbatch\n";
  script += "#SBATCH --array=" + array + "\n";
  script += "#SBATCH --ntasks=1\n#SBATCH --cpus-per-task=1\n";
  script += "#SBATCH --output=" + task_folder + "/slurm.out\n";
  script += "#SBATCH --error=" + task_folder + "/slurm.err\n";
  // Given last, so that they win over the lines above.
  for (const std::string& option : options.slurm_options)
    script += "#SBATCH " + option + "\n";
  script += "# One molecule per array task: task k runs the step of the folder that tasks/k "
            "links to.\nset -eu\n";
  const std::string folder = shell_quote(task_links.string()) + "/\"$SLURM_ARRAY_TASK_ID\"";
  return script + "exec " + step_command(folder, options.programs) + "\n";
}

} // namespace

const std::vector<std::string> job_list_names = {parallel_name, tasks_name, slurm_name};

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

void emit_slurm(const std::vector<fs::path>& folders, const BatchOptions& options) {
  if (folders.empty()) {
    std::cerr << "ffbatch: every molecule is finished; no Slurm script written\n";
    return;
  }
  const fs::path task_links = fs::absolute(options.out / tasks_name).lexically_normal();
  fs::remove_all(task_links);
  fs::create_directory(task_links);
  for (std::size_t k = 0; k < folders.size(); ++k)
    fs::create_directory_symlink(folders[k], task_links / std::to_string(k + 1));
  const fs::path script = options.out / slurm_name;
  write_file_atomic(script, slurm_script(folders.size(), task_links, options));
  std::cerr << "ffbatch: " << folders.size() << " array tasks in " << script.string()
            << "; submit with: sbatch " << shell_quote(script.string())
            << "; then: ffbatch --collect " << shell_quote(options.out.string()) << '\n';
}

} // namespace tools
