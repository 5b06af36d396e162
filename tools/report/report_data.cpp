#include "tools/report/report_data.hpp"

#include "tools/report/markup.hpp"

namespace tools {

namespace {

constexpr int position_decimals = 5;  // angstrom
constexpr int direction_decimals = 6; // unit vectors

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

} // namespace

std::string viewer_data(const std::vector<MoleculeEntry>& molecules) {
  return json_list(molecules, [](const MoleculeEntry& entry) {
    return entry.elements ? elements_json(*entry.elements, entry.symbols) : std::string("null");
  });
}

} // namespace tools
