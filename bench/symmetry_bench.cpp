// symmetry: the point-group search getsym and the whole driver symtry on C60 and on clusters of
// about 500 atoms, and whole runs of the bundled examples.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "bench/molecules.hpp"
#include "common/keyword_input.hpp"
#include "common/run_context.hpp"
#include "symmetry/driver.hpp"
#include "symmetry/frame.hpp"
#include "symmetry/point_group_search.hpp"

namespace {

constexpr double cluster_thrsym = 0.01;

// A molecule read and centred, with the workspace and result of one run and its units in memory.
struct PreparedMolecule {
  common::RunContext units{"", common::UnitsTo::memory};
  symmetry::SymmetryInput in;
  symmetry::Workspace ws;
  symmetry::SymmetryResult result;

  explicit PreparedMolecule(const std::string& text) {
    std::istringstream stream(text);
    common::InputDeck deck(stream);
    in = symmetry::read_symmetry_input(units, deck);
    double cx = 0.0, cy = 0.0, cz = 0.0;
    symmetry::cms(in.natoms, cx, cy, cz, in.xyz);
    ws = symmetry::make_workspace(in.natoms);
    result = symmetry::make_result(in.natoms);
  }
};

std::string molecule_text(int which) {
  switch (which) {
  case 0:
    return bench::read_file(std::filesystem::path(BENCH_SOURCE_DIR) / ".." / "examples" /
                            "symmetry" / "fullerene_c60.in");
  case 1:
    return bench::fcc_cluster_input(cluster_thrsym);
  default:
    return bench::scattered_cluster_input(500, cluster_thrsym);
  }
}

const char* molecule_name(int which) {
  static const char* const names[] = {"C60 (Ih)", "fcc 489 atoms (Oh)", "scattered 500 (C1)"};
  return names[which];
}

// getsym on the centred coordinates, free to reorient them (each iteration starts afresh).
void getsym_molecule(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  PreparedMolecule m(molecule_text(which));
  const symmetry::SearchWorkspace blocks = symmetry::search_blocks(m.ws, m.in.natoms);
  std::vector<double> xyz(m.in.xyz.size());
  for (auto _ : state) {
    m.units.clear_texts();
    xyz = m.in.xyz;
    symmetry::SearchSignals signals;
    symmetry::Operation turn = symmetry::identity_operation;
    benchmark::DoNotOptimize(symmetry::getsym(
        m.units, xyz, m.in.natoms, m.in.symbols, symmetry::make_thresholds(m.in.thrsym), 1, false,
        blocks, m.result.ops, m.result.count, m.result.label, signals, turn));
  }
  state.SetLabel(std::string(molecule_name(which)) + " -> " + m.result.label);
}
BENCHMARK(getsym_molecule)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// symtry: search, atom mapping, symmetrisation and the degrees of freedom.
void symtry_molecule(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  PreparedMolecule m(molecule_text(which));
  std::vector<double> xyz(m.in.xyz.size());
  for (auto _ : state) {
    m.units.clear_texts();
    xyz = m.in.xyz;
    int adjst = 1;
    symmetry::symtry(m.units, m.in.natoms, m.in.symbols, xyz, m.in.thrsym, adjst, 0, m.ws,
                     m.result);
  }
  state.SetLabel(std::string(molecule_name(which)) + " -> " + m.result.label);
}
BENCHMARK(symtry_molecule)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

void run_symmetry_text(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    common::RunContext run("", common::UnitsTo::memory);
    std::istringstream input(text);
    common::InputDeck deck(input);
    symmetry::run_symmetry_from_deck(run, deck);
  }
}

const int registered_examples = [] {
  for (const auto& file : bench::example_inputs("symmetry")) {
    benchmark::RegisterBenchmark(("symmetry_example/" + file.stem().string()).c_str(),
                                 run_symmetry_text, bench::read_file(file))
        ->Unit(benchmark::kMicrosecond);
  }
  return 0;
}();

} // namespace
