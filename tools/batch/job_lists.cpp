#include "tools/batch/job_lists.hpp"

#include <algorithm>
#include <iostream>

#include <unistd.h>

#include "tools/core/batch_layout.hpp"
#include "tools/core/field_text.hpp"
#include "tools/core/files.hpp"
#include "tools/core/process.hpp"
#include "tools/core/status.hpp"
#include "tools/core/tokens.hpp"

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
  if (programs.symmetry_geometry == SymmetryGeometry::start)
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

constexpr std::size_t default_array_limit = 1000;
constexpr std::string_view max_array_key = "MaxArraySize";
constexpr int scontrol_seconds = 10;

std::string task_command(const StreamTasks& tasks, std::string_view shards_word) {
  return shell_quote(own_executable().string()) + " --stream-task " +
         shell_quote(tasks.arguments.string()) + " --shards " + std::string(shards_word);
}

// The first and last shard of task k (1-based), as "FIRST-LAST".
std::string task_shards(const StreamTasks& tasks, std::size_t k) {
  const std::size_t first = (k - 1) * tasks.per_task + 1;
  return std::to_string(first) + "-" + std::to_string(std::min(k * tasks.per_task, tasks.shards));
}

void say_emitted(std::size_t count, const fs::path& file, const BatchOptions& options,
                 std::string_view how) {
  std::cerr << "ffbatch: " << count << " tasks in " << file.string() << "; " << how
            << shell_quote(file.string()) << "; then: ffbatch --collect "
            << shell_quote(options.out.string()) << '\n';
}

} // namespace

void emit_stream_parallel(const StreamTasks& tasks, const BatchOptions& options) {
  std::string jobs;
  for (std::size_t k = 1; k <= tasks.count(); ++k)
    jobs += task_command(tasks, task_shards(tasks, k)) + "\n";
  const fs::path file = options.out / parallel_name;
  write_file_atomic(file, jobs);
  say_emitted(tasks.count(), file, options, "run them with: parallel < ");
}

void emit_stream_slurm(const StreamTasks& tasks, const BatchOptions& options) {
  const fs::path logs = fs::absolute(options.out / tasks_name).lexically_normal();
  fs::create_directories(logs);
  std::string array = "1-" + std::to_string(tasks.count());
  if (options.workers_given)
    array += "%" + std::to_string(options.workers);
  std::string script = "#!/bin/bash\n#SBATCH --job-name=ffbatch\n";
  script += "#SBATCH --array=" + array + "\n#SBATCH --ntasks=1\n#SBATCH --cpus-per-task=1\n";
  script += "#SBATCH --output=" + (logs / "%a.out").string() + "\n";
  script += "#SBATCH --error=" + (logs / "%a.err").string() + "\n";
  for (const std::string& option : options.slurm_options)
    script += "#SBATCH " + option + "\n";
  script += "# Task k streams shards (k - 1) x " + std::to_string(tasks.per_task) + " + 1 to k x " +
            std::to_string(tasks.per_task) + " on the CPUs it was given.\nset -eu\n";
  script += "per_task=" + std::to_string(tasks.per_task) +
            "\nshards=" + std::to_string(tasks.shards) + "\n";
  script += "first=$(( (SLURM_ARRAY_TASK_ID - 1) * per_task + 1 ))\n";
  script += "last=$(( SLURM_ARRAY_TASK_ID * per_task < shards ? SLURM_ARRAY_TASK_ID * per_task "
            ": shards ))\n";
  script += "exec " + task_command(tasks, "\"$first-$last\"") + "\n";
  const fs::path file = options.out / slurm_name;
  write_file_atomic(file, script);
  say_emitted(tasks.count(), file, options, "submit with: sbatch ");
}

std::size_t slurm_array_limit() {
  const fs::path answer =
      fs::temp_directory_path() / ("ffbatch-scontrol-" + std::to_string(::getpid()));
  const ChildFiles files{fs::temp_directory_path(), "/dev/null", answer, "/dev/null"};
  std::size_t limit = default_array_limit;
  try {
    const ChildResult child =
        run_child(locate_program("scontrol", ""), files, scontrol_seconds, {"show", "config"});
    if (child.started && child.exit_status == 0) {
      for (const std::string& line : split_lines(read_file(answer))) {
        const auto words = split_words(line);
        if (words.size() >= 3 && words[0] == max_array_key && words[1] == "=")
          limit = std::max<std::size_t>(1, std::stoul(std::string(words[2])) - 1);
      }
    }
  } catch (const std::exception&) {
    // No Slurm here: the common default.
  }
  fs::remove(answer);
  return limit;
}

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
