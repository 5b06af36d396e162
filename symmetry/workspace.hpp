// The driver's scratch workspace: 9n + 840 words laid out in the fixed blocks of the search, and
// the blocks handed to the point-group search.
#pragma once

#include <string>
#include <vector>

#include "symmetry/operations.hpp"
#include "symmetry/point_group_search.hpp"

namespace symmetry {

// The scratch workspace: 9n + 840 words. The integer blocks of the layout (shell numbers and
// sizes, type codes, inverses, match flags) sit at their word positions in a parallel integer
// plane, the axis list in a list of directions of its own; the shell-ordered symbols and the
// ordering of the shells for the atom lookups are scratch of the search as well.
struct Workspace {
  std::vector<double> words;
  std::vector<int> integer_words;
  std::vector<Axis> axes;
  std::vector<std::string> shell_symbols;
  std::vector<int> lookup_order;     // n
  std::vector<int> lookup_axes;      // 2n
  std::vector<double> lookup_ranges; // 2n
};

// Words symtry asks for with n atoms.
long long workspace_request(int n);

// A cleared workspace of workspace_request(n) words.
Workspace make_workspace(int n);

// The blocks of the workspace that the point-group search fills.
SearchWorkspace search_blocks(Workspace& ws, int n);

} // namespace symmetry
