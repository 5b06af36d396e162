#include "tools/report/report_page.hpp"

#include <algorithm>

#include "tools/core/tokens.hpp"
#include "tools/report/markup.hpp"
#include "tools/report/report_data.hpp"
#include "tools/report/summary_plot.hpp"

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

std::size_t count_of(const BatchSummary& counts, Outcome outcome) {
  const auto found = counts.outcomes.find(outcome);
  return found == counts.outcomes.end() ? 0 : found->second;
}

// The point groups, most molecules first.
std::vector<Bar> group_bars(const BatchSummary& counts) {
  std::vector<Bar> bars;
  for (const auto& [group, n] : counts.groups)
    bars.push_back({group, n});
  std::stable_sort(bars.begin(), bars.end(),
                   [](const Bar& a, const Bar& b) { return a.count > b.count; });
  return bars;
}

std::string charts(const std::vector<MoleculeEntry>& molecules, const BatchSummary& counts) {
  std::vector<Bar> outcomes;
  for (const Outcome outcome : all_outcomes)
    outcomes.push_back({outcome_name(outcome), count_of(counts, outcome)});
  std::vector<double> cycles, energies, seconds;
  for (const MoleculeEntry& entry : molecules) {
    double value = 0.0;
    if (parse_double(entry.last_cycle, value))
      cycles.push_back(value);
    if (parse_double(entry.energy, value))
      energies.push_back(value);
    seconds.push_back(entry.seconds);
  }
  return tag("div",
             concat({bar_chart("outcomes", outcomes), bar_chart("point groups", group_bars(counts)),
                     histogram("cycles", cycles), histogram("final energy (hartree)", energies),
                     histogram("seconds per molecule", seconds)}),
             "class=\"charts\"");
}

std::string summary(const std::vector<MoleculeEntry>& molecules, const BatchSummary& counts) {
  std::string items = tag("li", std::to_string(counts.molecules) + " molecules");
  for (const Outcome outcome : all_outcomes)
    items += tag("li", std::to_string(count_of(counts, outcome)) + " " + outcome_name(outcome));
  std::string groups;
  for (const auto& [group, n] : counts.groups)
    groups += tag("li", html_escape(group) + " " + std::to_string(n));
  return tag("ul", items, "class=\"summary\"") +
         tag("div", "Point groups: " + (groups.empty() ? "none named" : tag("ul", groups)),
             "class=\"groups\"") +
         charts(molecules, counts);
}

std::string options_of(const std::vector<std::string>& values) {
  std::string options = tag("option", "all", "value=\"\"");
  for (const std::string& value : values)
    options += tag("option", html_escape(value), attribute("value", value));
  return options;
}

std::string select(std::string_view label, std::string_view id, std::string_view options) {
  return tag("label", concat({label, " ", tag("select", options, attribute("id", id))}));
}

std::string filters(const BatchSummary& counts) {
  std::vector<std::string> outcomes;
  for (const Outcome outcome : all_outcomes)
    outcomes.push_back(outcome_name(outcome));
  std::vector<std::string> groups;
  for (const auto& [group, n] : counts.groups)
    groups.push_back(group);
  const std::string problems = tag("option", "all", "value=\"\"") +
                               tag("option", "with problems", "value=\"with\"") +
                               tag("option", "without", "value=\"without\"");
  const std::string search =
      tag("label", "Name " + std::string("<input type=\"search\" id=\"name-filter\" "
                                         "placeholder=\"part of a name\">"));
  return tag("p",
             concat({select("Outcome", "outcome-filter", options_of(outcomes)), " ",
                     select("Point group", "group-filter", options_of(groups)), " ",
                     select("Problems", "problem-filter", problems), " ", search}),
             "class=\"filters\"");
}

std::string pager() {
  const auto button = [](std::string_view id, std::string_view text) {
    return tag("button", text, concat({attribute("id", id), " type=\"button\""}));
  };
  return tag("p",
             concat({button("page-first", "first"), button("page-previous", "previous"),
                     tag("span", "", "id=\"page-place\""), button("page-next", "next"),
                     button("page-last", "last"), " ", button("worst-first", "worst first")}),
             "class=\"pager\"");
}

std::string table() {
  // data-key: the field a click on the heading sorts by; data-sort: as text or as numbers.
  const std::tuple<const char*, const char*, const char*> columns[] = {
      {"molecule", "name", "text"},   {"atoms", "atoms", "number"},
      {"outcome", "outcome", "text"}, {"kelma", "kelma", "text"},
      {"cycles", "cycles", "number"}, {"energy (hartree)", "energy", "number"},
      {"RMS force", "rms", "number"}, {"seconds", "seconds", "number"},
      {"group", "group", "text"},     {"problems", "problems", "text"}};
  std::string head;
  for (const auto& [name, key, sort] : columns)
    head +=
        tag("th", name, concat({attribute("data-key", key), " ", attribute("data-sort", sort)}));
  return tag("table", concat({tag("thead", tag("tr", head)), tag("tbody", "")}),
             "id=\"molecules\"");
}

std::string script(const PageOptions& options, const std::string& file) {
  return tag("script", "", attribute("src", options.assets + "/" + file));
}

} // namespace

std::string report_page(const std::vector<MoleculeEntry>& molecules, const PageOptions& options) {
  const BatchSummary counts = summarise(molecules);
  const std::string title = "Batch report: " + html_escape(options.title);
  const std::string head = tag("title", title) + "<meta charset=\"utf-8\">" +
                           "<link rel=\"stylesheet\" " +
                           attribute("href", options.assets + "/report.css") + ">";
  const std::string no_viewer =
      options.viewer
          ? ""
          : tag("p", "3D viewers left out: 3Dmol was not found when the report was written.",
                "class=\"warning\"");
  const std::string order_note =
      tag("p",
          "Worst first: failed, skipped, cycle limit, converged; within each, the largest final "
          "RMS force first, then the most cycles. A click on a heading sorts by its column.",
          "class=\"note\"");
  const std::string sections = concat({options.assets, "/", sections_folder, "/"});
  const std::string body =
      concat({tag("h1", title), summary(molecules, counts), no_viewer, filters(counts), pager(),
              table(), order_note, tag("h2", "Molecules"),
              tag("p", "A molecule's section opens from its name in the table.", "class=\"note\""),
              tag("div", "",
                  concat({"id=\"sections\" ",
                          attribute("data-viewer",
                                    options.viewer ? options.assets + "/3Dmol-min.js" : "")})),
              tag("script", table_data(molecules, sections),
                  "type=\"application/json\" id=\"table-data\""),
              script(options, "report.js")});
  return "<!DOCTYPE html>\n" + tag("html", tag("head", head) + tag("body", body), "lang=\"en\"") +
         "\n";
}

} // namespace tools
