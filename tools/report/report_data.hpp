// The data that the report page's script reads. The table's rows go into the page, compact: one
// array per molecule, its repeated words by number in one list. What a molecule's section shows
// (the geometry with its symmetry elements, the convergence plot, the details of its status
// lines) goes into chunk scripts beside the page, one per section_chunk_size molecules, which the
// page loads only when a section of theirs is opened; a script element loads from the file
// system where a fetch may not.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tools/report/batch_report.hpp"

namespace tools {

inline constexpr std::size_t section_chunk_size = 100;

// How many chunk scripts the molecules make.
std::size_t chunk_count(std::size_t molecules);

// The file name of a chunk script ("12.js"), in the folder that table_data names.
std::string chunk_file_name(std::size_t chunk);

// The table's data as JSON: {"texts": [...], "rows": [row...], "order": [the positions worst
// first], "sections": folder of the chunk scripts, "chunkSize": section_chunk_size}, a row being
// [name, atoms, class, kelma, cycles, energy, RMS force, seconds, group, symmetry, [problems]]
// where class, kelma, group, symmetry and each problem are numbers in texts, energy and RMS force
// the texts of status.tsv, and what is unknown null.
std::string table_data(const std::vector<MoleculeEntry>& molecules, std::string_view sections);

// The chunk script of chunk number chunk: reportChunk(chunk, [section...]), a section being
// {"viewer": {"group", "atoms": [{"element", "position"}], "axes": [{"order", "direction"}],
// "planes": [normal], "inversion"} or null, "plot": the convergence plot's svg or "", "kelma" and
// "symmetry": the detail columns}.
std::string section_chunk(const std::vector<MoleculeEntry>& molecules, std::size_t chunk);

} // namespace tools
