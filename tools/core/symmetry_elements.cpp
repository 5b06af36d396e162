#include "tools/core/symmetry_elements.hpp"

#include <algorithm>
#include <sstream>

#include "common/keyword_input.hpp"
#include "common/run_context.hpp"
#include "common/termination.hpp"
#include "symmetry/driver.hpp"
#include "symmetry/input.hpp"
#include "tools/core/tokens.hpp"
#include "tools/core/tool_error.hpp"
#include "tools/core/vec3.hpp"

namespace tools {

namespace {

constexpr int silent = 0; // no listing

symmetry::SymmetryInput read_input(common::RunContext& run, std::string_view text) {
  std::istringstream in{std::string(text)};
  common::InputDeck deck(in);
  try {
    return symmetry::read_symmetry_input(run, deck);
  } catch (const common::InputError& e) {
    throw ToolError(std::string("keyword input: ") + e.what());
  } catch (const common::RunStop&) {
    throw ToolError("keyword input: a keyword of symmetry is missing");
  }
}

// One entry per rotation axis and mirror plane of the result, and its inversion centre; the
// improper axes are not drawn.
void take_elements(const symmetry::SymmetryResult& result, SymmetryElements& elements) {
  if (result.elements_status != symmetry::Status::ok)
    throw ToolError("the operations of " + elements.group + " could not be classified");
  for (const symmetry::SymmetryElement& e : result.elements) {
    switch (e.kind) {
    case symmetry::ElementKind::rotation_axis:
      elements.axes.push_back({e.direction, e.order});
      break;
    case symmetry::ElementKind::mirror_plane:
      elements.plane_normals.push_back(e.direction);
      break;
    case symmetry::ElementKind::inversion_centre:
      elements.inversion = true;
      break;
    case symmetry::ElementKind::improper_axis:
      break;
    }
  }
}

// The search run on in, silently, and its elements taken.
SymmetryElements elements_of(common::RunContext& run, symmetry::SymmetryInput& in) {
  in.print = silent;
  symmetry::SymmetryResult result;
  try {
    result = symmetry::run_symmetry_on_input(run, in);
  } catch (const common::RunStop& stop) {
    throw ToolError("the point-group search stopped (" + stop.code + ")");
  }
  SymmetryElements elements;
  elements.group = std::string(trim(result.label));
  for (std::size_t k = 0; k < static_cast<std::size_t>(in.natoms); ++k)
    elements.positions.push_back({result.xyz[3 * k], result.xyz[3 * k + 1], result.xyz[3 * k + 2]});
  take_elements(result, elements);
  return elements;
}

} // namespace

SymmetryElements find_symmetry_elements(std::string_view input, std::span<const Vec3> geometry) {
  // Only the structured result is read: the run formats no record.
  common::RunContext run("", common::UnitsTo::nowhere);
  symmetry::SymmetryInput in = read_input(run, input);
  const auto n = static_cast<std::size_t>(in.natoms);
  if (!geometry.empty()) {
    if (geometry.size() != n)
      throw ToolError("the geometry has " + std::to_string(geometry.size()) +
                      " atoms, the keyword input " + std::to_string(n));
    for (std::size_t k = 0; k < n; ++k)
      std::copy(geometry[k].begin(), geometry[k].end(), in.xyz.begin() + 3 * k);
  }
  return elements_of(run, in);
}

SymmetryElements find_symmetry_elements(std::span<const std::string> symbols,
                                        std::span<const Vec3> positions, double thrsym) {
  if (symbols.size() != positions.size())
    throw ToolError(std::to_string(symbols.size()) + " element symbols for " +
                    std::to_string(positions.size()) + " atoms");
  common::RunContext run("", common::UnitsTo::nowhere);
  symmetry::SymmetryInput in;
  in.natoms = static_cast<int>(positions.size());
  in.thrsym = thrsym;
  for (std::size_t k = 0; k < positions.size(); ++k) {
    in.xyz.insert(in.xyz.end(), positions[k].begin(), positions[k].end());
    // As the atom lines give them: the label's columns, then blanks.
    in.symbols.push_back(symbols[k].substr(0, common::label_width));
    in.symbols.back().resize(common::label_length, ' ');
  }
  try {
    common::check_atom_count(in.natoms, common::max_atoms);
    symmetry::check_thrsym(in.thrsym);
    symmetry::check_thrsym_spacing(in.thrsym, in.natoms, in.xyz, in.symbols);
  } catch (const common::InputError& e) {
    throw ToolError(e.what());
  }
  return elements_of(run, in);
}

} // namespace tools
