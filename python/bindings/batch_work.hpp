// The work of a batch's worker process: one request (a record of a chemistry file, a molecule's
// arrays, or a molecule the package refused), answered with every molecule it holds, read,
// prepared and run through kelma and then symmetry on the converged geometry, or symmetry alone.
// Requests and answers are bytes; nothing here touches the interpreter.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "molecule_calls.hpp"
#include "tools/core/status.hpp"
#include "tools/formats/chemistry_reader.hpp"
#include "tools/formats/source_items.hpp"

namespace bindings {

// What runs on each molecule of a batch.
struct BatchSettings {
  bool run_kelma = true;
  KelmaSettings kelma;
  bool automatic_nsteps = true; // the cycle limit from the atom count, as the tools set it
  bool run_symmetry = true;     // after kelma: on the converged geometry only
  double thrsym = 0.0;
  int symmetry_print = 0;
};

// One molecule of an answer.
struct MoleculeAnswer {
  std::optional<tools::ReadMolecule> read; // the molecule as read, for requests of a record
  // Why the molecule has no run: skipped (it could not be read or prepared) or input error (a
  // program, or the package for it, rejects its input).
  std::optional<tools::Outcome> refusal;
  std::string error;
  std::optional<KelmaCall> kelma;
  std::optional<SymmetryCall> symmetry;
  std::string symmetry_error; // symmetry refused the coordinates
  double seconds = 0.0;       // the programs' wall time
};

// A request of a record to read and prepare, with the options of its reading.
std::string record_request(const tools::SourceItem& item, const tools::ReadOptions& options);
// A request of a molecule to run as it stands.
std::string arrays_request(const MoleculeArrays& molecule);
// A request answered with the refusal, so that it keeps its place in the order.
std::string refused_request(const std::string& error, tools::Outcome refusal);

// The answer to a request, packed.
std::string answer_request(std::string_view request, const BatchSettings& settings);

// The molecules of a packed answer.
std::vector<MoleculeAnswer> unpack_answer(std::string_view bytes);

// The molecules of a record request, read and prepared in this process.
std::vector<tools::ReadMolecule> read_request(std::string_view request);

} // namespace bindings
