#include "batch_work.hpp"

#include <chrono>
#include <utility>

#include "call_packets.hpp"
#include "common/termination.hpp"
#include "tools/core/keyword_writer.hpp"
#include "tools/core/packet.hpp"
#include "tools/core/tool_error.hpp"

namespace bindings {

namespace {

enum class RequestKind { record, arrays, refused };

// How an optional value crosses in a packet when it has none.
constexpr int unset = -1;

int tri_state(std::optional<bool> value) { return value ? static_cast<int>(*value) : unset; }
std::optional<bool> from_tri_state(int value) {
  return value == unset ? std::nullopt : std::optional<bool>(value != 0);
}

tools::PacketWriter request_of(RequestKind kind) {
  tools::PacketWriter packet;
  packet.put(static_cast<int>(kind));
  return packet;
}

MoleculeArrays arrays_of(const tools::Molecule& molecule) {
  MoleculeArrays arrays;
  for (const tools::Atom& atom : molecule.atoms) {
    arrays.elements.push_back(atom.element);
    arrays.types.push_back(atom.ff_type);
    arrays.xyz.insert(arrays.xyz.end(), atom.xyz.begin(), atom.xyz.end());
  }
  for (const tools::Bond& bond : molecule.bonds)
    arrays.bonds.push_back({bond.i - 1, bond.j - 1, bond.code});
  return arrays;
}

KelmaSettings kelma_settings(const BatchSettings& settings, std::size_t atoms) {
  KelmaSettings kelma = settings.kelma;
  if (settings.automatic_nsteps)
    kelma.nsteps = tools::automatic_cycle_limit(atoms);
  return kelma;
}

// kelma, then symmetry on the converged geometry (or symmetry alone on the molecule as given).
void run_programs(const MoleculeArrays& molecule, const BatchSettings& settings,
                  MoleculeAnswer& answer) {
  const auto start = std::chrono::steady_clock::now();
  std::vector<double> xyz = molecule.xyz;
  try {
    if (settings.run_kelma) {
      answer.kelma = call_kelma(molecule, kelma_settings(settings, molecule.types.size()),
                                common::UnitsTo::nowhere);
      xyz = answer.kelma->result.xyz;
    }
  } catch (const common::InputError& e) {
    answer.refusal = tools::Outcome::input_error;
    answer.error = e.what();
  }
  const bool converged = !answer.kelma || answer.kelma->result.outcome == kelma::Outcome::converged;
  if (settings.run_symmetry && !answer.refusal && converged) {
    try {
      answer.symmetry = call_symmetry(xyz, molecule.elements, settings.thrsym,
                                      settings.symmetry_print, common::UnitsTo::nowhere);
    } catch (const common::InputError& e) {
      answer.symmetry_error = e.what();
    }
  }
  answer.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct RecordRequest {
  tools::SourceItem item;
  tools::ReadOptions options;
};

RecordRequest unpack_record(tools::PacketReader& packet) {
  RecordRequest request;
  request.item = tools::unpack_item(packet.text());
  request.options.format = packet.text();
  request.options.perception.add_hydrogens = from_tri_state(packet.integer());
  request.options.perception.retype = packet.integer() != 0;
  request.options.perception.build.seed = packet.integer();
  request.options.perception.build.time_limit_seconds = packet.integer();
  return request;
}

// The molecules of a record; an item that is no record (an unreadable file, a keyword input) is
// one molecule that says why it is skipped.
std::vector<tools::ReadMolecule> read_record(const RecordRequest& request) {
  tools::ReadMolecule refused;
  refused.name = request.item.file.stem().string();
  refused.index = request.item.record.index;
  switch (request.item.kind) {
  case tools::SourceItem::Kind::record:
    try {
      return tools::read_molecules(request.item.file, request.item.record, request.options);
    } catch (const tools::ToolError& e) {
      refused.error = e.what();
    }
    break;
  case tools::SourceItem::Kind::unreadable_file:
    refused.error = request.item.record.damage;
    break;
  case tools::SourceItem::Kind::keyword_input:
  case tools::SourceItem::Kind::smiles:
    refused.error = "not a chemistry file (keyword inputs read with read_kelma_input)";
    break;
  }
  return {refused};
}

std::vector<MoleculeAnswer> answers_of(std::string_view request, const BatchSettings& settings) {
  tools::PacketReader packet(request);
  std::vector<MoleculeAnswer> answers;
  switch (static_cast<RequestKind>(packet.integer())) {
  case RequestKind::record:
    for (tools::ReadMolecule& read : read_record(unpack_record(packet))) {
      MoleculeAnswer& answer = answers.emplace_back();
      if (read.error.empty()) {
        run_programs(arrays_of(read.molecule), settings, answer);
      } else {
        answer.refusal = tools::Outcome::skipped;
        answer.error = read.error;
      }
      answer.read = std::move(read);
    }
    break;
  case RequestKind::arrays: {
    MoleculeArrays molecule;
    get(packet, molecule);
    run_programs(molecule, settings, answers.emplace_back());
    break;
  }
  case RequestKind::refused: {
    MoleculeAnswer& answer = answers.emplace_back();
    answer.refusal = static_cast<tools::Outcome>(packet.integer());
    answer.error = packet.text();
    break;
  }
  }
  return answers;
}

template <typename Value>
void put_optional(tools::PacketWriter& packet, const std::optional<Value>& value) {
  packet.put(value ? 1 : 0);
  if (value)
    put(packet, *value);
}

template <typename Value>
void get_optional(tools::PacketReader& packet, std::optional<Value>& value) {
  if (packet.integer() != 0)
    get(packet, value.emplace());
}

} // namespace

std::string record_request(const tools::SourceItem& item, const tools::ReadOptions& options) {
  tools::PacketWriter packet = request_of(RequestKind::record);
  packet.put(tools::pack(item));
  packet.put(options.format);
  packet.put(tri_state(options.perception.add_hydrogens));
  packet.put(options.perception.retype ? 1 : 0);
  packet.put(options.perception.build.seed);
  packet.put(options.perception.build.time_limit_seconds);
  return packet.bytes();
}

std::string arrays_request(const MoleculeArrays& molecule) {
  tools::PacketWriter packet = request_of(RequestKind::arrays);
  put(packet, molecule);
  return packet.bytes();
}

std::string refused_request(const std::string& error, tools::Outcome refusal) {
  tools::PacketWriter packet = request_of(RequestKind::refused);
  packet.put(static_cast<int>(refusal));
  packet.put(error);
  return packet.bytes();
}

std::string answer_request(std::string_view request, const BatchSettings& settings) {
  tools::PacketWriter packet;
  for (const MoleculeAnswer& answer : answers_of(request, settings)) {
    put_optional(packet, answer.read);
    packet.put(answer.refusal ? static_cast<int>(*answer.refusal) : unset);
    packet.put(answer.error);
    put_optional(packet, answer.kelma);
    put_optional(packet, answer.symmetry);
    packet.put(answer.symmetry_error);
    packet.put(answer.seconds);
  }
  return packet.bytes();
}

std::vector<MoleculeAnswer> unpack_answer(std::string_view bytes) {
  tools::PacketReader packet(bytes);
  std::vector<MoleculeAnswer> answers;
  while (!packet.done()) {
    MoleculeAnswer& answer = answers.emplace_back();
    get_optional(packet, answer.read);
    if (const int refusal = packet.integer(); refusal != unset)
      answer.refusal = static_cast<tools::Outcome>(refusal);
    answer.error = packet.text();
    get_optional(packet, answer.kelma);
    get_optional(packet, answer.symmetry);
    answer.symmetry_error = packet.text();
    answer.seconds = packet.real();
  }
  return answers;
}

std::vector<tools::ReadMolecule> read_request(std::string_view request) {
  tools::PacketReader packet(request);
  if (static_cast<RequestKind>(packet.integer()) != RequestKind::record)
    throw tools::ToolError("not a request of a record");
  return read_record(unpack_record(packet));
}

} // namespace bindings
