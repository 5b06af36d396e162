#include "tools/report/report_page.hpp"

#include "tools/report/markup.hpp"
#include "tools/report/report_data.hpp"
#include "tools/report/report_plot.hpp"

namespace tools {

namespace {

constexpr Outcome all_outcomes[] = {Outcome::converged, Outcome::cycle_limit, Outcome::skipped,
                                    Outcome::failed};

std::string tag(std::string_view name, std::string_view body, std::string_view attributes = "") {
  return concat({"<", name, attributes.empty() ? "" : " ", attributes, ">", body, "</", name, ">"});
}

std::string attribute(std::string_view name, std::string_view value) {
  return concat({name, "=\"", html_escape(value), "\""});
}

std::string summary(const std::vector<MoleculeEntry>& molecules) {
  const BatchSummary counts = summarise(molecules);
  std::string items = tag("li", std::to_string(counts.molecules) + " molecules");
  for (const Outcome outcome : all_outcomes) {
    const auto found = counts.outcomes.find(outcome);
    const std::size_t n = found == counts.outcomes.end() ? 0 : found->second;
    items += tag("li", std::to_string(n) + " " + outcome_name(outcome));
  }
  std::string groups;
  for (const auto& [group, n] : counts.groups)
    groups += tag("li", html_escape(group) + " " + std::to_string(n));
  return tag("ul", items, "class=\"summary\"") +
         tag("div", "Point groups: " + (groups.empty() ? "none named" : tag("ul", groups)),
             "class=\"groups\"");
}

std::string options_of(const std::vector<std::string>& values) {
  std::string options = tag("option", "all", "value=\"\"");
  for (const std::string& value : values)
    options += tag("option", html_escape(value), attribute("value", value));
  return options;
}

std::string filters(const std::vector<MoleculeEntry>& molecules) {
  std::vector<std::string> outcomes;
  for (const Outcome outcome : all_outcomes)
    outcomes.push_back(outcome_name(outcome));
  std::vector<std::string> groups;
  for (const auto& [group, n] : summarise(molecules).groups)
    groups.push_back(group);
  return tag(
      "p",
      tag("label", "Outcome " + tag("select", options_of(outcomes), "id=\"outcome-filter\"")) +
          " " +
          tag("label", "Point group " + tag("select", options_of(groups), "id=\"group-filter\"")),
      "class=\"filters\"");
}

std::string last_of(const MoleculeEntry& entry, bool force) {
  if (entry.cycles.empty())
    return "-";
  return force ? entry.cycles.back().rms : entry.cycles.back().energy;
}

std::string cell(const std::string& text, const std::string& attributes = "") {
  return tag("td", html_escape(text), attributes);
}

// The id of the k-th molecule's section, which its table row links to.
std::string section_id(std::size_t k) { return concat({"m", std::to_string(k)}); }

std::string table_row(const MoleculeEntry& entry, std::size_t k) {
  const std::string id = section_id(k);
  const std::string cycles = entry.cycles.empty() ? "-" : std::to_string(entry.cycles.back().cycle);
  const std::string problems = entry.problems.empty() ? "" : std::to_string(entry.problems.size());
  const std::string row =
      concat({tag("td", tag("a", html_escape(entry.name), attribute("href", "#" + id))),
              cell(entry.atoms), cell(outcome_name(entry.outcome)), cell(entry.kelma), cell(cycles),
              cell(last_of(entry, false)), cell(last_of(entry, true)), cell(entry.group),
              tag("td", convergence_svg(entry.cycles, entry.gtol, table_plot)), cell(problems)});
  return tag("tr", row,
             concat({attribute("data-outcome", outcome_name(entry.outcome)), " ",
                     attribute("data-group", entry.group), " ", attribute("data-section", id)}));
}

std::string table(const std::vector<MoleculeEntry>& molecules) {
  // data-sort: how the script orders a column when its heading is clicked.
  const std::pair<const char*, const char*> columns[] = {
      {"molecule", "text"},    {"atoms", "number"},  {"outcome", "text"},
      {"kelma", "text"},       {"cycles", "number"}, {"energy (hartree)", "number"},
      {"RMS force", "number"}, {"group", "text"},    {"convergence", ""},
      {"problems", "number"}};
  std::string head;
  for (const auto& [name, sort] : columns)
    head += tag("th", name, *sort ? attribute("data-sort", sort) : "");
  std::string rows;
  for (std::size_t k = 0; k < molecules.size(); ++k)
    rows += table_row(molecules[k], k);
  return tag("table", concat({tag("thead", tag("tr", head)), tag("tbody", rows)}),
             "id=\"molecules\"");
}

std::string problem_list(const MoleculeEntry& entry) {
  if (entry.problems.empty())
    return "";
  std::string items;
  for (const std::string& problem : entry.problems)
    items += tag("li", html_escape(problem));
  return tag("ul", items, "class=\"problems\"");
}

std::string section(const MoleculeEntry& entry, std::size_t k) {
  const std::string heading =
      html_escape(concat({entry.name, ": ", outcome_name(entry.outcome),
                          entry.group == "-" ? "" : ", ", entry.group == "-" ? "" : entry.group}));
  const std::string outcomes =
      tag("p", html_escape(concat({"kelma: ", entry.kelma, "; symmetry: ", entry.symmetry})));
  const std::string body =
      concat({tag("summary", heading), outcomes, problem_list(entry),
              convergence_svg(entry.cycles, entry.gtol, section_plot),
              tag("div", "", "class=\"viewer\""), tag("p", "", "class=\"elements\"")});
  return tag(
      "details", body,
      concat({attribute("id", section_id(k)), " ", attribute("data-index", std::to_string(k))}));
}

std::string script(const PageOptions& options, const std::string& file) {
  return tag("script", "", attribute("src", options.assets + "/" + file));
}

} // namespace

std::string report_page(const std::vector<MoleculeEntry>& molecules, const PageOptions& options) {
  std::string sections;
  for (std::size_t k = 0; k < molecules.size(); ++k)
    sections += section(molecules[k], k);
  const std::string title = "Batch report: " + html_escape(options.title);
  const std::string head = tag("title", title) + "<meta charset=\"utf-8\">" +
                           "<link rel=\"stylesheet\" " +
                           attribute("href", options.assets + "/report.css") + ">";
  const std::string no_viewer =
      options.viewer
          ? ""
          : tag("p", "3D viewers left out: 3Dmol was not found when the report was written.",
                "class=\"warning\"");
  const std::string body =
      tag("h1", title) + summary(molecules) + no_viewer + filters(molecules) + table(molecules) +
      tag("h2", "Molecules") + sections +
      tag("script", viewer_data(molecules), "type=\"application/json\" id=\"viewer-data\"") +
      (options.viewer ? script(options, "3Dmol-min.js") : "") + script(options, "report.js");
  return "<!DOCTYPE html>\n" + tag("html", tag("head", head) + tag("body", body), "lang=\"en\"") +
         "\n";
}

} // namespace tools
