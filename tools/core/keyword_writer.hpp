// The keyword input of one molecule, in an order both programs read: $natoms, $thrsym, then
// kelma's keywords, the atom lines (element and type filled) and the connectivity.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "tools/core/molecule.hpp"

namespace tools {

// Keyword values as they go into the file; each validated when set.
struct JobOptions {
  std::string fftype = "Tripos 5.2";
  std::string jobtype = "0";
  std::string vdwc = "8.0";
  std::string print = "1";
  std::string gtol = "0.0005";
  std::string etol = "1.0e-6";
  std::string nsteps = "auto"; // 50 cycles per atom, 1000 to 9998
  std::string thrsym = "0.05";
};

// Sets the option of a command-line flag ("--gtol") to value. False when flag is not a job
// option; ToolError when the value is not valid for it.
bool set_job_option(JobOptions& options, std::string_view flag, std::string_view value);

// The flags set_job_option takes, with their defaults, for the usage texts.
std::string job_option_usage();

// The cycle limit that "auto" stands for: 50 cycles per atom, 1000 to 9998.
int automatic_cycle_limit(std::size_t atoms);

// The keyword input text; the molecule must have passed check_molecule. Comment lines open it:
// the molecule's name, the source, and how its coordinates were built when the tools built them
// (so that the start can be built again).
std::string keyword_input(const Molecule& molecule, const JobOptions& options,
                          std::string_view source);

} // namespace tools
