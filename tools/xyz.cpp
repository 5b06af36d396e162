#include "tools/xyz.hpp"

#include "common/records.hpp"
#include "tools/atom_types.hpp"
#include "tools/files.hpp"

namespace tools {

namespace {

constexpr int coordinate_width = 16;
constexpr int coordinate_decimals = 10;
constexpr int element_width = 2;

Atom read_atom_line(std::string_view line, int line_number) {
  const auto words = split_words(line);
  Atom atom;
  if (words.size() < 4 || !parse_double(words[1], atom.xyz[0]) ||
      !parse_double(words[2], atom.xyz[1]) || !parse_double(words[3], atom.xyz[2]))
    throw ToolError("line " + std::to_string(line_number) + ": unreadable atom line");
  atom.element = normalise_element(words[0]);
  atom.ff_type = element_type_number(atom.element);
  return atom;
}

} // namespace

std::vector<XyzFrame> read_xyz(std::string_view text) {
  std::vector<XyzFrame> frames;
  const std::vector<std::string> lines = split_lines(text);
  std::size_t k = 0;
  while (k < lines.size()) {
    if (trim(lines[k]).empty()) {
      ++k;
      continue;
    }
    XyzFrame frame;
    frame.first_line = static_cast<int>(k) + 1;
    int count = 0;
    const auto words = split_words(lines[k]);
    if (words.size() != 1 || !parse_int(words[0], count) || count < 0) {
      frame.error = "line " + std::to_string(k + 1) + ": no atom count";
      frames.push_back(std::move(frame));
      break;
    }
    frame.molecule.name = k + 1 < lines.size() ? std::string(trim(lines[k + 1])) : "";
    const std::size_t first_atom = k + 2;
    k = first_atom + static_cast<std::size_t>(count);
    try {
      if (k > lines.size())
        throw ToolError("the file ends inside the frame");
      for (std::size_t a = first_atom; a < k; ++a)
        frame.molecule.atoms.push_back(read_atom_line(lines[a], static_cast<int>(a) + 1));
    } catch (const ToolError& e) {
      frame.error = e.what();
    }
    frames.push_back(std::move(frame));
  }
  return frames;
}

std::string xyz_text(std::string_view name, const std::vector<std::string>& elements,
                     const std::vector<Vec3>& xyz) {
  std::string out = std::to_string(xyz.size()) + "\n" + std::string(name) + "\n";
  for (std::size_t k = 0; k < xyz.size(); ++k) {
    common::Record record;
    record.text(elements.at(k));
    if (record.str().size() < element_width)
      record.x(element_width - 1);
    for (const double c : xyz[k])
      record.f(c, coordinate_width, coordinate_decimals);
    out += record.str() + "\n";
  }
  return out;
}

} // namespace tools
