// Shared pieces of the fuzz targets: output units in memory, the program's way of ending a run,
// and the checks every run must pass whatever the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace fuzz {

// The fuzzer's bytes as the text of an input file.
inline std::string as_text(const std::uint8_t* data, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// Units 6, 8 and 9 and standard error point at memory for the life of the object, so a run
// writes no file and the fuzzer's own output stays readable.
class MemoryUnits {
public:
  MemoryUnits();
  ~MemoryUnits();
  MemoryUnits(const MemoryUnits&) = delete;
  MemoryUnits& operator=(const MemoryUnits&) = delete;

  // What the units received; a run hands over its collected text when it closes them.
  std::string stdout_text() const { return out_; }
  std::string stderr_text() const { return err_; }
  // Standard output, the listing and the trace, one after the other.
  std::string records() const { return out_ + listing_ + trace_; }

private:
  std::string out_;
  std::string listing_;
  std::string trace_;
  std::string err_;
};

// Runs a program body as its main program does; returns the exit status.
int run_program(std::string_view name, const std::function<void()>& body);

// Runs a reader: a numbered report or an input-layer rejection is an accepted end.
void run_reader(const std::function<void()>& body);

// Aborts (a finding) when a record holds a NaN or an infinity written as a word.
void check_no_nonfinite_words(const std::string& records);

// Aborts when a rejected run (exit status 2) wrote records on standard output or no diagnostic.
void check_rejection_is_clean(int status, const MemoryUnits& units);

// Aborts with the message when condition is false.
void require(bool condition, const char* what);

} // namespace fuzz
