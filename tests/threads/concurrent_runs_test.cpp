// Whole runs of kelma and symmetry on eight threads of one process, each on a run context of its
// own: every run must write exactly the bytes (standard output, standard error, listing, trace)
// and end with the exit status that the same input gives when it runs alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/records.hpp"
#include "common/run_context.hpp"
#include "common/termination.hpp"
#include "kelma/driver.hpp"
#include "support/molecules.hpp"
#include "symmetry/driver.hpp"

namespace {

namespace fs = std::filesystem;

constexpr int thread_count = 8;
constexpr int runs_per_thread = 40;

enum class Program { kelma, symmetry };

struct Job {
  Program program;
  std::string name;
  std::string input;
};

// Everything one run leaves behind.
struct Output {
  int status = 0;
  std::string out;
  std::string err;
  std::string listing;
  std::string trace;
  bool operator==(const Output&) const = default;
};

Output run_alone(const Job& job) {
  const bool kelma = job.program == Program::kelma;
  common::RunContext run(kelma ? kelma::termination_banner : symmetry::termination_banner,
                         common::UnitsTo::memory);
  std::istringstream text(job.input);
  common::InputDeck deck(text);
  Output o;
  o.status = common::run_program(run, kelma ? "kelma" : "symmetry", [&](common::RunContext& r) {
    if (kelma)
      kelma::run_kelma_from_deck(r, deck);
    else
      symmetry::run_symmetry_from_deck(r, deck);
  });
  o.out = run.text(common::stdout_unit);
  o.err = run.text(common::stderr_unit);
  o.listing = run.text(common::listing_unit);
  o.trace = run.text(common::trace_unit);
  return o;
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<fs::path> sorted(std::vector<fs::path> paths) {
  std::sort(paths.begin(), paths.end());
  return paths;
}

// The keyword inputs of the tree for the program: its examples, its end-to-end cases (rejections
// and numbered reports too) and the catalogue bases of the damaged-input tests.
std::vector<Job> tree_inputs(Program program) {
  const fs::path root = SOURCE_DIR;
  const std::string name = program == Program::kelma ? "kelma" : "symmetry";
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(root / "examples" / name)) {
    if (entry.path().extension() == ".in")
      files.push_back(entry.path());
  }
  for (const auto& entry : fs::directory_iterator(root / "tests" / "e2e" / "cases")) {
    if (entry.path().filename().string().starts_with(name + "_"))
      files.push_back(entry.path() / "input");
  }
  for (const auto& entry : fs::directory_iterator(root / "tests" / "e2e" / "catalogue")) {
    const bool for_kelma = read_file(entry.path()).find("$fftype") != std::string::npos;
    if (for_kelma == (program == Program::kelma))
      files.push_back(entry.path());
  }
  std::vector<Job> jobs;
  for (const fs::path& file : sorted(files))
    jobs.push_back({program,
                    file.parent_path().filename().string() + "/" + file.filename().string(),
                    read_file(file)});
  return jobs;
}

// symmetry's input for a molecule of the catalogue.
Job catalogue_input(const molecules::Molecule& m) {
  std::string text =
      "$natoms " + std::to_string(m.atoms.size()) + "\n$thrsym 0.01\n$print 1\n$coordinates\n";
  for (std::size_t k = 0; k < m.atoms.size(); ++k) {
    const molecules::Vec3& a = m.atoms[k];
    text += common::Record().f(a[0], 16, 10).f(a[1], 16, 10).f(a[2], 16, 10).str() + "     " +
            m.symbols[k] + "\n";
  }
  return {Program::symmetry, "catalogue/" + m.name, text};
}

// The job again with its $print line set to the level (unchanged without one).
Job at_print(const Job& job, int print) {
  Job copy = job;
  copy.name += " print " + std::to_string(print);
  const std::size_t at = copy.input.find("\n$print");
  if (at != std::string::npos) {
    const std::size_t end = copy.input.find('\n', at + 1);
    copy.input.replace(at + 1, end - at - 1, "$print " + std::to_string(print));
  }
  return copy;
}

// Each job at the listing levels 0 and 4.
std::vector<Job> at_both_print_levels(const std::vector<Job>& jobs) {
  std::vector<Job> all;
  for (const Job& job : jobs) {
    all.push_back(at_print(job, 0));
    all.push_back(at_print(job, 4));
  }
  return all;
}

// Runs every job alone first, then thread_count threads of runs_per_thread runs each, thread t
// taking jobs t, t + thread_count, ... round the list, and compares every run with its job's run
// alone. Returns the runs alone.
std::vector<Output> expect_runs_on_threads_as_alone(const std::vector<Job>& jobs) {
  EXPECT_GE(jobs.size(), static_cast<std::size_t>(thread_count));
  std::vector<Output> alone;
  for (const Job& job : jobs)
    alone.push_back(run_alone(job));

  const auto job_of = [&](int t, int k) {
    return static_cast<std::size_t>(t + k * thread_count) % jobs.size();
  };
  std::vector<std::vector<Output>> threaded(thread_count);
  {
    std::vector<std::jthread> threads;
    for (int t = 0; t < thread_count; ++t) {
      threads.emplace_back([&, t] {
        for (int k = 0; k < runs_per_thread; ++k)
          threaded[static_cast<std::size_t>(t)].push_back(run_alone(jobs[job_of(t, k)]));
      });
    }
  }
  for (int t = 0; t < thread_count; ++t) {
    for (int k = 0; k < runs_per_thread; ++k) {
      const std::size_t j = job_of(t, k);
      const Output& got = threaded[static_cast<std::size_t>(t)][static_cast<std::size_t>(k)];
      EXPECT_EQ(got.status, alone[j].status) << jobs[j].name;
      EXPECT_EQ(got.out, alone[j].out) << jobs[j].name;
      EXPECT_EQ(got.err, alone[j].err) << jobs[j].name;
      EXPECT_EQ(got.listing, alone[j].listing) << jobs[j].name;
      EXPECT_EQ(got.trace, alone[j].trace) << jobs[j].name;
    }
  }
  return alone;
}

bool any_of(const std::vector<Output>& outputs, const std::function<bool(const Output&)>& holds) {
  return std::any_of(outputs.begin(), outputs.end(), holds);
}

TEST(ConcurrentRuns, KelmaRunsWriteWhatTheyWriteAlone) {
  const std::vector<Output> alone =
      expect_runs_on_threads_as_alone(at_both_print_levels(tree_inputs(Program::kelma)));
  // Results with listings, numbered reports and cycle limits, and rejections are all among them.
  EXPECT_TRUE(
      any_of(alone, [](const Output& o) { return !o.trace.empty() && !o.listing.empty(); }));
  EXPECT_TRUE(any_of(alone, [](const Output& o) { return o.err.starts_with("STOP *** KELMA"); }));
  EXPECT_TRUE(
      any_of(alone, [](const Output& o) { return o.err == "STOP 666 statement executed\n"; }));
  EXPECT_TRUE(
      any_of(alone, [](const Output& o) { return o.status == common::input_error_status; }));
}

TEST(ConcurrentRuns, SymmetryRunsWriteWhatTheyWriteAlone) {
  std::vector<Job> bases = tree_inputs(Program::symmetry);
  for (const molecules::Molecule& m : molecules::catalogue())
    bases.push_back(catalogue_input(m));
  const std::vector<Output> alone = expect_runs_on_threads_as_alone(at_both_print_levels(bases));
  EXPECT_TRUE(any_of(alone, [](const Output& o) {
    return o.listing.find("Equivalent Atoms") != std::string::npos;
  }));
  EXPECT_TRUE(
      any_of(alone, [](const Output& o) { return o.status == common::input_error_status; }));
}

} // namespace
