#include "kelma/input.hpp"

#include <string>

#include "common/termination.hpp"
#include "kelma/energy.hpp"
#include "kelma/parameter_tables.hpp"

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

KelmaInput read_kelma_input(common::RunContext& run, common::InputDeck& deck) {
  KelmaInput in;
  in.natoms = common::read_integer_keyword(run, deck, "$natoms");
  common::check_atom_count(in.natoms, common::max_atoms);
  double unused_real = 0.0;
  common::rdcntrl(run, deck, 7, "$fftype", common::kind_text, in.fftype_length, unused_real,
                  in.fftype);
  in.jobtype = common::read_integer_keyword(run, deck, "$jobtype");
  check_jobtype(in.jobtype);
  in.vdwc = common::read_real_keyword(run, deck, "$vdwc");
  in.print = common::read_integer_keyword(run, deck, "$print");
  in.gtol = common::read_real_keyword(run, deck, "$gtol");
  in.etol = common::read_real_keyword(run, deck, "$etol");
  in.nsteps = common::read_integer_keyword(run, deck, "$nsteps");

  const auto n = static_cast<std::size_t>(in.natoms);
  in.xyz.assign(3 * n, 0.0);
  in.itype.assign(n, 0);
  common::getcoord2(deck, in.natoms, in.xyz, in.itype);
  check_types(in.itype);
  in.conn.assign(n * n, 0);
  common::getconn(deck, in.natoms, in.conn);
  return in;
}

void check_geometry(int natoms, std::span<const double> xyz) {
  for (int j = 2; j <= natoms; ++j) {
    for (int i = 1; i < j; ++i) {
      if (atom_distance(xyz, i, j) < min_distance) {
        common::input_error("atoms " + std::to_string(i) + " and " + std::to_string(j) +
                            " are at the same position");
      }
    }
  }
}

} // namespace kelma
