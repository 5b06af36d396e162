#include "tools/report/report_data.hpp"

#include <algorithm>
#include <unordered_map>

#include "tools/core/tokens.hpp"
#include "tools/core/vec3.hpp"
#include "tools/report/markup.hpp"
#include "tools/report/report_plot.hpp"

namespace tools {

namespace {

constexpr int position_decimals = 5;  // angstrom
constexpr int direction_decimals = 6; // unit vectors
constexpr int seconds_decimals = 2;   // as status.tsv gives them
constexpr std::string_view chunk_call = "reportChunk";

std::string vector_json(const Vec3& v, int decimals) {
  return concat({"[", json_number(v[0], decimals), ",", json_number(v[1], decimals), ",",
                 json_number(v[2], decimals), "]"});
}

// The entries of a JSON array, comma-separated.
template <class Items, class Entry> std::string json_list(const Items& items, Entry entry) {
  std::string list;
  for (const auto& item : items) {
    if (!list.empty())
      list += ",";
    list += entry(item);
  }
  return "[" + list + "]";
}

std::string elements_json(const SymmetryElements& e, const std::vector<std::string>& symbols) {
  std::size_t k = 0;
  const std::string atoms = json_list(e.positions, [&](const Vec3& position) {
    const std::string element = k < symbols.size() ? symbols[k] : "";
    ++k;
    return concat({"{\"element\":", json_string(element),
                   ",\"position\":", vector_json(position, position_decimals), "}"});
  });
  const std::string axes = json_list(e.axes, [](const RotationAxis& axis) {
    return concat({"{\"order\":", std::to_string(axis.order),
                   ",\"direction\":", vector_json(axis.direction, direction_decimals), "}"});
  });
  const std::string planes = json_list(
      e.plane_normals, [](const Vec3& normal) { return vector_json(normal, direction_decimals); });
  return concat({"{\"group\":", json_string(e.group), ",\"atoms\":", atoms, ",\"axes\":", axes,
                 ",\"planes\":", planes, ",\"inversion\":", e.inversion ? "true" : "false", "}"});
}

// The words that rows share, each once, referred to by number.
class TextList {
public:
  std::string number(const std::string& text) {
    const auto [found, added] = numbers_.try_emplace(text, texts_.size());
    if (added)
      texts_.push_back(text);
    return std::to_string(found->second);
  }
  std::string json() const {
    return json_list(texts_, [](const std::string& t) { return json_string(t); });
  }

private:
  std::unordered_map<std::string, std::size_t> numbers_;
  std::vector<std::string> texts_;
};

std::string integer_json(const std::string& text) {
  int value = 0;
  return parse_int(text, value) ? std::to_string(value) : "null";
}

std::string figure_json(const std::string& text) {
  return text == not_applicable ? "null" : json_string(text);
}

std::string row_json(const MoleculeEntry& entry, TextList& texts) {
  std::vector<std::string> problems;
  for (const auto* list : {&entry.problems, &entry.file_problems})
    for (const std::string& problem : *list)
      problems.push_back(texts.number(problem));
  return concat({"[", json_string(entry.name),
                 ",", integer_json(entry.atoms),
                 ",", texts.number(outcome_name(entry.outcome)),
                 ",", texts.number(entry.kelma),
                 ",", integer_json(entry.last_cycle),
                 ",", figure_json(entry.energy),
                 ",", figure_json(entry.rms),
                 ",", json_number(entry.seconds, seconds_decimals),
                 ",", texts.number(entry.group),
                 ",", texts.number(entry.symmetry),
                 ",", json_list(problems, [](const std::string& n) { return n; }),
                 "]"});
}

std::string section_json(const MoleculeEntry& entry) {
  const std::string viewer =
      entry.elements ? elements_json(*entry.elements, entry.symbols) : std::string("null");
  const std::string plot =
      entry.cycles.empty() ? std::string() : convergence_svg(entry.cycles, entry.gtol);
  return concat({"{\"viewer\":", viewer, ",\"plot\":", json_string(plot),
                 ",\"kelma\":", json_string(entry.kelma_detail),
                 ",\"symmetry\":", json_string(entry.symmetry_detail), "}"});
}

} // namespace

std::size_t chunk_count(std::size_t molecules) {
  return (molecules + section_chunk_size - 1) / section_chunk_size;
}

std::string chunk_file_name(std::size_t chunk) { return std::to_string(chunk) + ".js"; }

std::string table_data(const std::vector<MoleculeEntry>& molecules, std::string_view sections) {
  TextList texts;
  const std::string rows =
      json_list(molecules, [&texts](const MoleculeEntry& entry) { return row_json(entry, texts); });
  const std::string order =
      json_list(worst_first(molecules), [](std::size_t k) { return std::to_string(k); });
  return concat({"{\"texts\":", texts.json(), ",\"rows\":", rows, ",\"order\":", order,
                 ",\"sections\":", json_string(sections),
                 ",\"chunkSize\":", std::to_string(section_chunk_size), "}"});
}

std::string section_chunk(const std::vector<MoleculeEntry>& molecules, std::size_t chunk) {
  const std::size_t first = std::min(chunk * section_chunk_size, molecules.size());
  const std::size_t last = std::min(first + section_chunk_size, molecules.size());
  std::string sections;
  for (std::size_t k = first; k < last; ++k)
    sections += (k == first ? "" : ",\n") + section_json(molecules[k]);
  return concat({chunk_call, "(", std::to_string(chunk), ",[", sections, "]);\n"});
}

} // namespace tools
