#include "tools/core/status.hpp"

#include <vector>

#include "tools/core/text.hpp"

namespace tools {

namespace {
constexpr std::size_t field_count = 11;
constexpr std::string_view point_group_outcome = "point group ";
} // namespace

std::string status_header() {
  return "molecule\tatoms\tprogram\toutcome\tcycles\tenergy\trms_force\tseconds\tno_parameter\t"
         "notes\tdetail";
}

// Every field is made printable, so that no text from an input can break the table.
std::string status_text(const StatusLine& line) {
  std::string text = printable_line(line.molecule);
  for (const std::string* field :
       {&line.atoms, &line.program, &line.outcome, &line.cycles, &line.energy, &line.rms,
        &line.seconds, &line.no_parameter, &line.notes, &line.detail}) {
    text += '\t';
    text += printable_line(*field);
  }
  return text;
}

StatusLine parse_status(std::string_view text) {
  const std::vector<std::string> fields = split_tabs(text);
  if (fields.size() != field_count)
    throw ToolError("damaged status line: " + printable_line(text));
  return {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5],
          fields[6], fields[7], fields[8], fields[9], fields[10]};
}

bool succeeded(const StatusLine& line) {
  return line.outcome == "converged" || line.outcome.starts_with(point_group_outcome);
}

} // namespace tools
