// The run context, common::RunContext: everything one run of kelma or symmetry writes or keeps
// beyond the arrays its driver owns. It holds the output units 0, 6, 8 and 9 (common/channels.hpp)
// with the text each has collected, and the termination banner that nerror writes. The caller
// makes one per run and hands it down by reference to every routine that writes a record, a
// warning or a report; nothing of a run lives at process level, so several runs can share a
// process, one per thread.
//
// The units of a context go to their files, as a program's do, or stay in memory for the caller to
// read back: the way tests, benchmarks, fuzz targets, the tools and the Python package run a
// program in process.
//
// Records collect in memory per unit and reach their destination in one piece when the unit is
// flushed (or when a unit's collected text grows past a bound), so a reader of the file sees
// whole blocks.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <string_view>

#include "common/channels.hpp"

namespace common {

// Where the units of a context go.
enum class UnitsTo {
  files,   // standard error and output of the process, "debug", "fort.8" and "fort.9"
  memory,  // kept in the context, read back with text()
  nowhere, // dropped: a caller that takes the structured result and wants no records
};

class RunContext {
public:
  explicit RunContext(std::string_view banner, UnitsTo where = UnitsTo::files);
  // Hands over what the units still collect and closes the files they opened.
  ~RunContext();
  RunContext(const RunContext&) = delete;
  RunContext& operator=(const RunContext&) = delete;

  // The termination banner of the running program, written by nerror.
  const std::string& banner() const { return banner_; }

  // False when the units drop what they get: routines then skip formatting their records.
  bool keeps_records() const { return where_ != UnitsTo::nowhere; }

  // Writes one record and its line end on the unit.
  void write_record(int unit, std::string_view record);

  // Writes text that already holds whole records, each with its line end.
  void write_lines(int unit, std::string_view lines);

  // Writes an empty line on the unit (the "/" of a layout).
  void write_blank(int unit) { write_record(unit, {}); }

  // Hands everything written on the unit so far to its destination in one piece.
  void flush_unit(int unit);

  // Opens the listing as "debug", created empty or emptied; a second opening changes nothing, and
  // neither does any opening while the listing is not on its file.
  void open_listing();

  // Closes the listing; a later record on unit 8 goes to "fort.8".
  void close_listing();

  // Hands over what every unit collects and closes every file the units opened.
  void close_all_units();

  // What a unit kept in memory has received, after handing over what it still collects; empty for
  // a unit on its file.
  const std::string& text(int unit);

  // Forgets what the units kept in memory, so that a context used for many runs does not grow.
  void clear_texts();

  // Sends the unit's hand-overs to sink instead (a test that looks at the pieces); an empty sink
  // restores the unit's own destination. What was collected goes to the old destination first.
  void send_to(int unit, UnitSink sink);

private:
  static constexpr int unit_count = 10;

  struct Unit {
    std::string pending; // collected since the last hand-over
    std::string kept;    // everything handed over, for a unit in memory
    UnitSink sink;       // when set, the hand-overs go here
  };

  Unit& unit_at(int unit);
  std::FILE* file_for(int unit);
  void hand_over(int unit);
  void bound(int unit);

  std::string banner_;
  UnitsTo where_;
  std::array<Unit, unit_count> units_;
  std::FILE* debug_ = nullptr; // the listing opened by name
  std::FILE* fort8_ = nullptr; // the listing when none is open by name
  std::FILE* fort9_ = nullptr; // the trace file
};

} // namespace common
