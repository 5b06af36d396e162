// The pieces of ffreport: the symmetry elements found in memory, the
// escaping of the page's text and data, the convergence plots and the summary's charts.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/scratch_folder.hpp"
#include "tools/core/files.hpp"
#include "tools/core/symmetry_elements.hpp"
#include "tools/core/tool_error.hpp"
#include "tools/core/vec3.hpp"
#include "tools/report/markup.hpp"
#include "tools/report/report_plot.hpp"
#include "tools/report/summary_plot.hpp"

namespace {

namespace fs = std::filesystem;

std::vector<int> orders(const tools::SymmetryElements& e) {
  std::vector<int> list;
  for (const tools::RotationAxis& axis : e.axes)
    list.push_back(axis.order);
  std::sort(list.rbegin(), list.rend());
  return list;
}

std::string example(const std::string& name) {
  return tools::read_file(fs::path(EXAMPLES_DIR) / "symmetry" / (name + ".in"));
}

TEST(SymmetryElements, OneEntryPerElementOfTheGroup) {
  const auto benzene = tools::find_symmetry_elements(example("benzene"), {});
  EXPECT_EQ(benzene.group, "d6h");
  EXPECT_EQ(orders(benzene), (std::vector<int>{6, 2, 2, 2, 2, 2, 2}));
  EXPECT_EQ(benzene.plane_normals.size(), 7u);
  EXPECT_TRUE(benzene.inversion);
  EXPECT_EQ(benzene.positions.size(), 12u);

  const auto water = tools::find_symmetry_elements(example("water"), {});
  EXPECT_EQ(water.group, "c2v");
  EXPECT_EQ(orders(water), (std::vector<int>{2}));
  EXPECT_EQ(water.plane_normals.size(), 2u);
  EXPECT_FALSE(water.inversion);
}

TEST(SymmetryElements, FoundOnTheGivenGeometryInPlaceOfTheInputs) {
  // Water's atoms on a line: the linear group, whose inversion centre no bent water has.
  const std::vector<tools::Vec3> line{{0.0, 0.0, 0.0}, {0.0, 0.0, 0.96}, {0.0, 0.0, -0.96}};
  EXPECT_TRUE(tools::find_symmetry_elements(example("water"), line).inversion);
  EXPECT_THROW(tools::find_symmetry_elements(example("water"), {line.begin(), line.begin() + 2}),
               tools::ToolError);
}

TEST(SymmetryElements, FoundOnAtomsWithoutAKeywordInput) {
  const std::vector<std::string> symbols{"O", "H", "H"};
  const std::vector<tools::Vec3> bent{
      {0.0, 0.0, 0.1173}, {0.0, 0.7572, -0.4692}, {0.0, -0.7572, -0.4692}};
  const auto water = tools::find_symmetry_elements(symbols, bent, 0.05);
  EXPECT_EQ(water.group, "c2v");
  EXPECT_EQ(water.plane_normals.size(), 2u);
  // Like atoms closer than twice the tolerance, and lists that do not match, are refused.
  EXPECT_THROW(tools::find_symmetry_elements(symbols, bent, 0.8), tools::ToolError);
  EXPECT_THROW(tools::find_symmetry_elements({symbols.begin(), 2}, bent, 0.05), tools::ToolError);
}

TEST(SymmetryElements, DamagedInputIsAToolErrorAndLeavesNoListingFile) {
  const support::ScratchFolder scratch("report_test_listing");
  const support::InFolder here(scratch.path());
  EXPECT_THROW(tools::find_symmetry_elements("$natoms 3\n", {}), tools::ToolError);
  EXPECT_THROW(tools::find_symmetry_elements("$natoms 0\n$thrsym 0.1\n", {}), tools::ToolError);
  EXPECT_FALSE(fs::exists("fort.8"));
}

TEST(Markup, TextAndDataCannotCloseTheirElement) {
  EXPECT_EQ(tools::html_escape("a<b & \"c\"'"), "a&lt;b &amp; &quot;c&quot;&#39;");
  EXPECT_EQ(tools::json_string("</script>\"\\\n"), "\"\\u003c/script>\\\"\\\\\\u000a\"");
  EXPECT_EQ(tools::json_number(0.25, 3), "0.250");
  EXPECT_EQ(tools::json_number(std::numeric_limits<double>::infinity(), 3), "null");
}

TEST(ConvergencePlot, ThresholdLineAndNoInfiniteCoordinates) {
  const std::vector<tools::CycleRecord> cycles{
      {1, "0.0100", "0.02000"}, {2, "*******", "0.00100"}, {3, "0.0010", "0.00000"}};
  const std::string svg = tools::convergence_svg(cycles, 0.0005);
  EXPECT_NE(svg.find("class=\"gtol\""), std::string::npos);
  EXPECT_EQ(svg.find("nan"), std::string::npos);
  EXPECT_EQ(svg.find("inf"), std::string::npos);
  // The unreadable energy is left out of its curve only: two energy points, three force points.
  const auto points = [&svg](const std::string& css) {
    const std::size_t from = svg.find("points=\"", svg.find("class=\"" + css + "\""));
    const std::string list = svg.substr(from, svg.find("\"/>", from) - from);
    return std::count(list.begin(), list.end(), ',');
  };
  EXPECT_EQ(points("energy"), 2);
  EXPECT_EQ(points("force"), 3);
  EXPECT_EQ(tools::convergence_svg({}, 0.0005).find("<svg"), std::string::npos);
  EXPECT_EQ(tools::convergence_svg(cycles, 0.0).find("gtol"), std::string::npos);
}

TEST(SummaryCharts, FarValuesGoIntoTheEndBinsAndManyBarsIntoOthers) {
  std::vector<double> cycles;
  for (int k = 1; k <= 199; ++k)
    cycles.push_back(k);
  cycles.push_back(1.0e6);
  cycles.push_back(std::numeric_limits<double>::quiet_NaN());
  const std::string svg = tools::histogram("cycles", cycles);
  EXPECT_NE(svg.find("\u2265 198<"), std::string::npos); // not 1e+06
  EXPECT_NE(svg.find("<title>from 188 on: 12</title>"), std::string::npos);
  // Alike values but one: the whole range, so that the one still shows.
  const std::string alike = tools::histogram("seconds", {0.0, 0.0, 0.0, 0.0, 0.0, 0.01});
  EXPECT_NE(alike.find(">0.01<"), std::string::npos);
  std::vector<tools::Bar> groups;
  for (std::size_t k = 0; k < tools::max_bars + 2; ++k)
    groups.push_back({tools::concat({"g", std::to_string(k)}), 1});
  const std::string bars = tools::bar_chart("point groups", groups);
  EXPECT_NE(bars.find("<title>others: 3</title>"), std::string::npos);
  EXPECT_EQ(bars.find(">g11<"), std::string::npos);
}

} // namespace
