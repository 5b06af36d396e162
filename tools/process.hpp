// Child processes: one program run in its own folder, with standard input from a file and
// standard output and error to files. No shell is involved, so no name is ever interpreted.
// A child dies with the thread that started it, so that a batch killed at any moment leaves no
// program writing on in its folders.
#pragma once

#include <filesystem>
#include <string>

namespace tools {

struct ChildResult {
  bool started = false;
  int exit_status = -1;   // when it exited
  int signal = 0;         // when a signal ended it
  bool timed_out = false; // killed at its time limit
  int timeout_seconds = 0;
  std::string error;    // why it could not be started
  double seconds = 0.0; // wall time
};

struct ChildFiles {
  std::filesystem::path folder; // the working folder
  std::filesystem::path input;  // standard input
  std::filesystem::path output; // standard output (created or emptied)
  std::filesystem::path errors; // standard error (created or emptied)
};

// Runs program and waits for it; with timeout_seconds above 0 it is killed (SIGKILL) when it
// runs longer than that.
ChildResult run_child(const std::filesystem::path& program, const ChildFiles& files,
                      int timeout_seconds = 0);

// The path of the running executable.
std::filesystem::path own_executable();

// The program named: the given path when there is one (an error when it is not executable),
// otherwise the executable of that name beside this one, otherwise the first in PATH.
std::filesystem::path locate_program(const std::string& name, const std::string& given);

} // namespace tools
