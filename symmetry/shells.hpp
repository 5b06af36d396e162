// Atom shells: like atoms at nearly equal distance from the centroid, built once per search and
// read by the element search and the refitting. Atom numbers in a shell list are 1-based, 0
// meaning "none".
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "symmetry/status.hpp"

namespace symmetry {

// Distance of every atom from the origin. Status no_atoms when n < 1, else ok.
Status getdis(std::span<const double> xyz, std::span<double> dist, int n);

// Where rshell writes the atoms in shell order.
struct ShellOutput {
  std::span<double> positions;    // 3 x n, shell order
  std::span<std::string> symbols; // n, shell order
  std::span<double> distances;    // n, input order in, shell order out
  std::span<int> shell_numbers;   // n, 1-based shell of every entry in shell order
  std::span<int> shell_sizes;     // one entry per shell
};

// Sorts the atoms by element symbol, then by distance (stably: equal keys keep their input order),
// and cuts them into shells: an entry joins its neighbour's shell when it has the same symbol and
// lies less than tol farther out. Returns the shell count.
int rshell(std::span<const double> xyz, std::span<const std::string> symbols, int n, double tol,
           const ShellOutput& out);

// Places of one block of a shell's lookup order (see ShellLookup).
inline constexpr int lookup_block = 32;

// Every shell's run ordered for the lookups: sorted on the shell's first axis (the coordinate of
// its widest spread) and cut into blocks of lookup_block places, each block sorted on the second
// axis (the next widest). A lookup then measures only the atoms near the image in both.
struct ShellLookup {
  std::span<const int> order;     // natoms: atom numbers, each shell in its run's places
  std::span<const int> axes;      // 2 per shell: its first and its second axis
  std::span<const double> ranges; // 2 per place: at the first place of a block, the lowest and
                                  // the highest coordinate of its atoms on the first axis
};

// The atoms in shell order, as the search reads them.
struct ShellAtoms {
  std::span<const double> positions;  // 3 x natoms
  std::span<const double> distances;  // centre distance of every atom
  std::span<const int> shell_numbers; // 1-based shell of every atom, never decreasing
  std::span<const int> shell_sizes;   // size of every shell: the length of its run
  int natoms = 0;
  int nshell = 0;
  // The order of the lookups (order_shells); empty, a lookup walks the whole run of its shell.
  ShellLookup lookup = {};

  // x, y, z of the given atom (1-based), and its shell. Read in the innermost loops of the search.
  const double* position(int atom) const {
    return &positions[3 * static_cast<std::size_t>(atom - 1)];
  }
  int shell_of(int atom) const { return shell_numbers[static_cast<std::size_t>(atom - 1)]; }
};

// The atoms first .. last - 1 of one shell: the atoms of a shell are consecutive.
struct ShellRun {
  int first = 0;
  int last = 0;
};

// The run of the given shell.
ShellRun shell_run(const ShellAtoms& atoms, int shell);

// The run of atom i from a run before it: the shells between are stepped over by their sizes.
ShellRun next_run(const ShellAtoms& atoms, ShellRun run, int i);

// Which atom within the tolerance a lookup takes: the first of the run, or the nearest (the first
// on a tie).
enum class Pick { first, nearest };

// Orders the atoms of every shell for the lookups into order (natoms entries), axes (2 nshell)
// and ranges (2 natoms), which the returned lookup reads.
ShellLookup order_shells(const ShellAtoms& atoms, std::span<int> order, std::span<int> axes,
                         std::span<double> ranges);

// The atom of the run within thrsym of y (by distance), 0 when none. No atom outside the run is of
// its shell. With a lookup order only the atoms near y in its blocks are measured; the atom found
// is the same.
int atom_within(const ShellAtoms& atoms, const ShellRun& run, const double* y, double thrsym,
                Pick pick);

// The atom of the given shell within thrsym of y, 0 when none. Only the shell's own run of atoms
// is read.
int hitit(const ShellAtoms& atoms, const double* y, int shell, double thrsym,
          Pick pick = Pick::first);

} // namespace symmetry
