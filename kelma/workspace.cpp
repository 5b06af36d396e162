#include "kelma/workspace.hpp"

#include <cstddef>

namespace kelma {

long long workspace_need(int n, int maxbend, int maxtors, int jobtype) {
  const long long nn = static_cast<long long>(n) * n;
  long long need = 12 * nn + 9LL * n + 5LL * maxbend + 6LL * maxtors;
  if (jobtype == 1)
    need += 9 * nn;
  return need;
}

Workspace make_workspace(int n, int maxbend, int maxtors, int jobtype) {
  const auto coords = static_cast<std::size_t>(3 * n);
  const auto pairs = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
  const auto bends = static_cast<std::size_t>(maxbend);
  const auto tors = static_cast<std::size_t>(maxtors);
  Workspace ws;
  ws.force.assign(coords, 0.0);
  ws.ff.dist.assign(pairs, 0.0);
  ws.ff.r0.assign(pairs, 0.0);
  ws.ff.kpair.assign(pairs, 0.0);
  for (auto* list : {&ws.ff.bends.i, &ws.ff.bends.j, &ws.ff.bends.k})
    list->assign(bends, 0);
  for (auto* list : {&ws.ff.bends.theta0, &ws.ff.bends.kbend})
    list->assign(bends, 0.0);
  for (auto* list : {&ws.ff.torsions.a, &ws.ff.torsions.b, &ws.ff.torsions.c, &ws.ff.torsions.d,
                     &ws.ff.torsions.n}) {
    list->assign(tors, 0);
  }
  ws.ff.torsions.v.assign(tors, 0.0);
  ws.gscratch.assign(coords, 0.0);
  ws.step.assign(coords, 0.0);
  ws.hess.assign(coords * coords, 0.0);
  if (jobtype == 1)
    ws.hess_copy.assign(coords * coords, 0.0);
  return ws;
}

long long workspace_size(const Workspace& ws) {
  const auto size = [](const auto& v) { return static_cast<long long>(v.size()); };
  return size(ws.force) + size(ws.ff.dist) + size(ws.ff.r0) + size(ws.ff.kpair) +
         size(ws.ff.bends.i) + size(ws.ff.bends.j) + size(ws.ff.bends.k) +
         size(ws.ff.bends.theta0) + size(ws.ff.bends.kbend) + size(ws.ff.torsions.a) +
         size(ws.ff.torsions.b) + size(ws.ff.torsions.c) + size(ws.ff.torsions.d) +
         size(ws.ff.torsions.n) + size(ws.ff.torsions.v) + size(ws.gscratch) + size(ws.step) +
         size(ws.hess) + size(ws.hess_copy);
}

} // namespace kelma
