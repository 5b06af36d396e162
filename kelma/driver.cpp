#include "kelma/driver.hpp"

#include <cmath>
#include <span>

#include "common/channels.hpp"
#include "common/reports.hpp"
#include "common/termination.hpp"
#include "kelma/derivatives.hpp"
#include "kelma/energy.hpp"
#include "kelma/optimiser.hpp"
#include "kelma/parameter_tables.hpp"
#include "kelma/topology.hpp"
#include "kelma/workspace.hpp"

namespace kelma {

void check_types(std::span<const int> itype) {
  for (std::size_t atom = 0; atom < itype.size(); ++atom) {
    if (itype[atom] > type_count) {
      common::input_error("atom " + std::to_string(atom + 1) + ": force-field type " +
                          std::to_string(itype[atom]) + " is above " + std::to_string(type_count));
    }
  }
}

void check_jobtype(int jobtype) {
  if (jobtype < 0)
    common::input_error("$jobtype must not be negative, not " + std::to_string(jobtype));
}

KelmaInput read_kelma_input(common::InputDeck& deck) {
  KelmaInput in;
  in.natoms = common::read_integer_keyword(deck, "$natoms");
  common::check_atom_count(in.natoms, common::max_atoms);
  double unused_real = 0.0;
  common::rdcntrl(deck, 7, "$fftype", common::kind_text, in.fftype_length, unused_real, in.fftype);
  in.jobtype = common::read_integer_keyword(deck, "$jobtype");
  check_jobtype(in.jobtype);
  in.vdwc = common::read_real_keyword(deck, "$vdwc");
  in.print = common::read_integer_keyword(deck, "$print");
  in.gtol = common::read_real_keyword(deck, "$gtol");
  in.etol = common::read_real_keyword(deck, "$etol");
  in.nsteps = common::read_integer_keyword(deck, "$nsteps");

  const auto n = static_cast<std::size_t>(in.natoms);
  in.xyz.assign(3 * n, 0.0);
  in.itype.assign(n, 0);
  common::getcoord2(deck, in.natoms, in.xyz, in.itype);
  check_types(in.itype);
  in.conn.assign(n * n, 0);
  common::getconn(deck, in.natoms, in.conn);
  return in;
}

void run_kelma(std::istream& input) {
  common::open_listing();
  common::InputDeck deck(input);
  KelmaInput in = read_kelma_input(deck);
  run_kelma(in);
}

void run_kelma(KelmaInput& in) {
  check_geometry(in.natoms, in.xyz);

  int maxbend = 0;
  int maxtors = 0;
  ffcount(in.natoms, in.conn, maxbend, maxtors);
  const long long need = workspace_need(in.natoms, maxbend, maxtors, in.jobtype);
  // A connectivity that no molecule has can ask for more than any machine holds.
  common::memchk(workspace_capacity, need, 5, "KELMA");
  Workspace ws = make_workspace(in.natoms, maxbend, maxtors, in.jobtype);
  common::memchk(need, workspace_size(ws), 5, "KELMA");

  const OptimSettings settings{in.natoms, in.gtol, in.etol, in.nsteps, in.print};
  int cycle = 0;
  const ForceFieldModel model{in.natoms, maxbend, maxtors,  in.vdwc,
                              in.print,  in.conn, in.itype, ws.ff};
  const ForceFieldCalls calls{
      [&](std::span<double> xyz, int jobtype, std::span<double> force, std::span<double> hess,
          int& ncall) {
        double energy = 0.0;
        ffderiv(model, jobtype, xyz, ws.gscratch, energy, force, hess, ncall);
        return energy;
      },
      [&](std::span<double> xyz) {
        return ffener(in.natoms, in.vdwc, in.print, xyz, in.itype, in.conn, ws.ff);
      }};
  optim(settings, in.jobtype, in.xyz, ws, calls, cycle);
  if (in.print > 0)
    common::close_listing();
}

} // namespace kelma
