#include "call_packets.hpp"
#include "tools/core/tool_error.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>

namespace bindings {

namespace {

using tools::PacketReader;
using tools::PacketWriter;

void put(PacketWriter& packet, bool value) { packet.put(value ? 1 : 0); }
bool get_bool(PacketReader& packet) { return packet.integer() != 0; }

template <typename Values> void put_reals(PacketWriter& packet, const Values& values) {
  packet.put(static_cast<int>(values.size()));
  for (const double value : values)
    packet.put(value);
}

std::vector<double> get_reals(PacketReader& packet) {
  std::vector<double> values(static_cast<std::size_t>(packet.integer()));
  for (double& value : values)
    value = packet.real();
  return values;
}

template <std::size_t N> void get_reals(PacketReader& packet, std::array<double, N>& values) {
  const std::vector<double> read = get_reals(packet);
  if (read.size() != N)
    throw tools::ToolError("a child process handed back a matrix of the wrong size");
  std::copy(read.begin(), read.end(), values.begin());
}

void put_integers(PacketWriter& packet, std::span<const int> values) {
  packet.put(static_cast<int>(values.size()));
  for (const int value : values)
    packet.put(value);
}

std::vector<int> get_integers(PacketReader& packet) {
  std::vector<int> values(static_cast<std::size_t>(packet.integer()));
  for (int& value : values)
    value = packet.integer();
  return values;
}

// A bond: two atoms and the code.
void put_bond(PacketWriter& packet, int i, int j, int code) {
  packet.put(i);
  packet.put(j);
  packet.put(code);
}

std::array<int, 3> get_bond(PacketReader& packet) {
  const int i = packet.integer();
  const int j = packet.integer();
  return {i, j, packet.integer()};
}

void put(PacketWriter& packet, const CallOutput& output) {
  packet.put(output.stdout_text);
  packet.put(output.listing);
  put(packet, output.stop.has_value());
  if (!output.stop)
    return;
  packet.put(output.stop->code);
  const std::optional<common::NumberedReport>& report = output.stop->report;
  put(packet, report.has_value());
  if (!report)
    return;
  packet.put(report->number);
  packet.put(report->routine);
  packet.put(report->text);
  packet.put(report->ip1);
  packet.put(report->ip2);
}

void get(PacketReader& packet, CallOutput& output) {
  output.stdout_text = packet.text();
  output.listing = packet.text();
  if (!get_bool(packet))
    return;
  common::RunStop& stop = output.stop.emplace();
  stop.code = packet.text();
  if (!get_bool(packet))
    return;
  common::NumberedReport& report = stop.report.emplace();
  report.number = packet.integer();
  report.routine = packet.text();
  report.text = packet.text();
  report.ip1 = packet.integer();
  report.ip2 = packet.integer();
}

} // namespace

void put(PacketWriter& packet, const KelmaCall& call) {
  put(packet, call.output);
  const kelma::KelmaResult& result = call.result;
  packet.put(static_cast<int>(result.outcome));
  packet.put(result.cycle_count);
  packet.put(static_cast<int>(result.cycles.size()));
  for (const kelma::CycleFigures& cycle : result.cycles) {
    packet.put(cycle.cycle);
    packet.put(cycle.energy);
    packet.put(cycle.rms_force);
    packet.put(cycle.step);
    put(packet, cycle.line_search);
    put(packet, cycle.recorded);
  }
  put_reals(packet, result.xyz);
}

void get(PacketReader& packet, KelmaCall& call) {
  get(packet, call.output);
  kelma::KelmaResult& result = call.result;
  result.outcome = static_cast<kelma::Outcome>(packet.integer());
  result.cycle_count = packet.integer();
  result.cycles.resize(static_cast<std::size_t>(packet.integer()));
  for (kelma::CycleFigures& cycle : result.cycles) {
    cycle.cycle = packet.integer();
    cycle.energy = packet.real();
    cycle.rms_force = packet.real();
    cycle.step = packet.real();
    cycle.line_search = get_bool(packet);
    cycle.recorded = get_bool(packet);
  }
  result.xyz = get_reals(packet);
}

void put(PacketWriter& packet, const SymmetryCall& call) {
  put(packet, call.output);
  packet.put(call.natoms);
  const symmetry::SymmetryResult& result = call.result;
  packet.put(result.label);
  packet.put(result.count);
  for (int m = 0; m < result.count; ++m)
    put_reals(packet, result.ops[static_cast<std::size_t>(m)]);
  // The table's columns of the operations the group has.
  const auto mapped =
      static_cast<std::size_t>(call.natoms) * static_cast<std::size_t>(result.count);
  put_integers(packet, std::span(result.neqatm).first(std::min(mapped, result.neqatm.size())));
  put_reals(packet, result.xyz);
  packet.put(result.degrees);
  packet.put(static_cast<int>(result.fallback));
  put_reals(packet, result.centre);
  put_reals(packet, result.rotation);
  const symmetry::Deviation& deviation = result.deviation;
  put_reals(packet, std::array{deviation.rms, deviation.largest, deviation.image, deviation.csm});
  packet.put(deviation.constraints);
  packet.put(static_cast<int>(result.elements.size()));
  for (const symmetry::SymmetryElement& element : result.elements) {
    packet.put(static_cast<int>(element.kind));
    packet.put(element.order);
    put_reals(packet, element.direction);
  }
}

void get(PacketReader& packet, SymmetryCall& call) {
  get(packet, call.output);
  call.natoms = packet.integer();
  symmetry::SymmetryResult& result = call.result;
  result.label = packet.text();
  result.count = packet.integer();
  if (result.count < 0 || result.count > symmetry::max_operations)
    throw tools::ToolError("a child process handed back a group of no size");
  for (int m = 0; m < result.count; ++m)
    get_reals(packet, result.ops[static_cast<std::size_t>(m)]);
  result.neqatm = get_integers(packet);
  result.xyz = get_reals(packet);
  result.degrees = packet.integer();
  result.fallback = static_cast<symmetry::Status>(packet.integer());
  get_reals(packet, result.centre);
  get_reals(packet, result.rotation);
  std::array<double, 4> measures{};
  get_reals(packet, measures);
  const auto [rms, largest, image, csm] = measures;
  result.deviation = {rms, largest, image, csm, packet.integer()};
  result.elements.resize(static_cast<std::size_t>(packet.integer()));
  for (symmetry::SymmetryElement& element : result.elements) {
    element.kind = static_cast<symmetry::ElementKind>(packet.integer());
    element.order = packet.integer();
    get_reals(packet, element.direction);
  }
}

void put(PacketWriter& packet, const tools::ReadMolecule& molecule) {
  packet.put(molecule.name);
  packet.put(molecule.index);
  packet.put(static_cast<int>(molecule.molecule.atoms.size()));
  for (const tools::Atom& atom : molecule.molecule.atoms) {
    packet.put(atom.element);
    packet.put(atom.sybyl_type);
    packet.put(atom.ff_type);
    put_reals(packet, atom.xyz);
  }
  packet.put(static_cast<int>(molecule.molecule.bonds.size()));
  for (const tools::Bond& bond : molecule.molecule.bonds)
    put_bond(packet, bond.i, bond.j, bond.code);
  packet.put(molecule.mol2);
  packet.put(molecule.notes.lines);
  packet.put(molecule.notes.tags);
  packet.put(molecule.error);
}

void get(PacketReader& packet, tools::ReadMolecule& molecule) {
  molecule.name = packet.text();
  molecule.index = packet.integer();
  molecule.molecule.atoms.resize(static_cast<std::size_t>(packet.integer()));
  for (tools::Atom& atom : molecule.molecule.atoms) {
    atom.element = packet.text();
    atom.sybyl_type = packet.text();
    atom.ff_type = packet.integer();
    get_reals(packet, atom.xyz);
  }
  molecule.molecule.bonds.resize(static_cast<std::size_t>(packet.integer()));
  for (tools::Bond& bond : molecule.molecule.bonds) {
    const auto [i, j, code] = get_bond(packet);
    bond = {i, j, code};
  }
  molecule.mol2 = packet.text();
  molecule.notes.lines = packet.texts();
  molecule.notes.tags = packet.texts();
  molecule.error = packet.text();
}

void put(PacketWriter& packet, const MoleculeArrays& molecule) {
  packet.put(molecule.elements);
  put_integers(packet, molecule.types);
  put_reals(packet, molecule.xyz);
  packet.put(static_cast<int>(molecule.bonds.size()));
  for (const BondRow& bond : molecule.bonds)
    put_bond(packet, bond.i, bond.j, bond.code);
}

void get(PacketReader& packet, MoleculeArrays& molecule) {
  molecule.elements = packet.texts();
  molecule.types = get_integers(packet);
  molecule.xyz = get_reals(packet);
  molecule.bonds.resize(static_cast<std::size_t>(packet.integer()));
  for (BondRow& bond : molecule.bonds) {
    const auto [i, j, code] = get_bond(packet);
    bond = {i, j, code};
  }
}

} // namespace bindings
