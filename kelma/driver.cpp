#include "kelma/driver.hpp"

#include <cmath>
#include <span>

#include "common/channels.hpp"
#include "common/reports.hpp"
#include "common/termination.hpp"
#include "kelma/optimiser.hpp"
#include "kelma/topology.hpp"
#include "kelma/workspace.hpp"

namespace kelma {

namespace {

int read_int(common::InputDeck& deck, std::string_view key) {
  int value = 0;
  double unused_real = 0.0;
  std::string unused_text;
  common::rdcntrl(deck, static_cast<int>(key.size()), key, common::kind_integer, value,
                  unused_real, unused_text);
  return value;
}

double read_real(common::InputDeck& deck, std::string_view key) {
  int unused_int = 0;
  double value = 0.0;
  std::string unused_text;
  common::rdcntrl(deck, static_cast<int>(key.size()), key, common::kind_real, unused_int, value,
                  unused_text);
  return value;
}

void check_types(const std::vector<int>& itype) {
  for (std::size_t atom = 0; atom < itype.size(); ++atom) {
    if (itype[atom] > max_type) {
      common::input_error("atom " + std::to_string(atom + 1) + ": force-field type " +
                          std::to_string(itype[atom]) + " is above " + std::to_string(max_type));
    }
  }
}

}  // namespace

KelmaInput read_kelma_input(common::InputDeck& deck) {
  KelmaInput in;
  in.natoms = read_int(deck, "$natoms");
  if (in.natoms < 1 || in.natoms > max_atoms) {
    common::input_error("$natoms must be between 1 and " + std::to_string(max_atoms) + ", not " +
                        std::to_string(in.natoms));
  }
  double unused_real = 0.0;
  common::rdcntrl(deck, 7, "$fftype", common::kind_text, in.fftype_length, unused_real,
                  in.fftype);
  in.jobtype = read_int(deck, "$jobtype");
  if (in.jobtype < 0) {
    common::input_error("$jobtype must not be negative, not " + std::to_string(in.jobtype));
  }
  in.vdwc = read_real(deck, "$vdwc");
  in.print = read_int(deck, "$print");
  in.gtol = read_real(deck, "$gtol");
  in.etol = read_real(deck, "$etol");
  in.nsteps = read_int(deck, "$nsteps");

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
  if (in.print > 0) common::open_listing();

  int maxbend = 0;
  int maxtors = 0;
  ffcount(in.natoms, in.conn, maxbend, maxtors);
  const long long need = workspace_need(in.natoms, maxbend, maxtors, in.jobtype);
  Workspace ws = make_workspace(in.natoms, maxbend, maxtors, in.jobtype);
  common::memchk(need, workspace_size(ws), 5, "KELMA");

  const OptimSettings settings{in.natoms, in.gtol, in.etol, in.nsteps, in.print};
  int cycle = 0;
  optim(settings, in.jobtype, in.xyz, ws, ForceFieldCalls{}, cycle);
  if (in.print > 0) common::close_listing();
}

}  // namespace kelma
