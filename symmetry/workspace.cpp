#include "symmetry/workspace.hpp"

#include <cstddef>

namespace symmetry {

namespace {

// Workspace layout: 7n words of per-atom blocks, then the per-operation tables, then 2n words of
// element-search scratch.
constexpr std::size_t axis_words = 3 * max_operations;
constexpr std::size_t operation_table_words = 7 * max_operations;

} // namespace

long long workspace_request(int n) {
  return 9LL * n + static_cast<long long>(operation_table_words);
}

Workspace make_workspace(int n) {
  const auto words = static_cast<std::size_t>(workspace_request(n));
  const auto un = static_cast<std::size_t>(n);
  Workspace ws;
  ws.words.assign(words, 0.0);
  ws.integer_words.assign(words, 0);
  ws.axes.resize(max_operations);
  ws.shell_symbols.resize(un);
  ws.lookup_order.assign(un, 0);
  ws.lookup_axes.assign(2 * un, 0);
  ws.lookup_ranges.assign(2 * un, 0.0);
  return ws;
}

SearchWorkspace search_blocks(Workspace& ws, int n) {
  const auto un = static_cast<std::size_t>(n);
  const std::span<double> words(ws.words);
  const std::span<int> integers(ws.integer_words);
  const std::size_t tables = 7 * un;
  return SearchWorkspace{
      words.subspan(0, 3 * un),
      words.subspan(3 * un, un),
      integers.subspan(5 * un, un),
      integers.subspan(6 * un, un),
      std::span<int>(ws.lookup_order),
      std::span<int>(ws.lookup_axes),
      std::span<double>(ws.lookup_ranges),
      std::span<Axis>(ws.axes),
      integers.subspan(tables + axis_words, max_operations),
      integers.subspan(tables + axis_words + max_operations, max_operations),
      integers.subspan(tables + operation_table_words, un),
      integers.subspan(tables + operation_table_words + un, un),
      std::span<std::string>(ws.shell_symbols),
  };
}

} // namespace symmetry
