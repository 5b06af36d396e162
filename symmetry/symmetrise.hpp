// After the group is known: the atom permutation of every operation, the symmetrised
// coordinates, the totally symmetric degrees of freedom and the group listing.
//
// The equivalent-atom table neqatm holds n entries per operation, atom index fastest:
// neqatm[i + n m] = j (0-based i and m, 1-based atom number j) means operation m + 1 carries atom
// i + 1 onto the position of atom j.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "common/run_context.hpp"

#include "symmetry/operations.hpp"
#include "symmetry/status.hpp"
#include "symmetry/x_order.hpp"

namespace symmetry {

// Fills neqatm for the g operations. The image of an atom is the nearest atom of the same element
// symbol within tol in every component (the lower number on a tie). Status no_image when an image
// has no such atom, an operation's images are not a permutation of the atoms, or the
// permutations do not compose as the operations multiply, else ok.
Status eqvatm(int n, std::span<const double> xyz, std::span<const std::string> symbols, int g,
              std::span<const Operation> ops, double tol, std::span<int> neqatm);

// True when r carries every atom onto a distinct atom of the same element symbol within tol in
// every component: the test of eqvatm for one operation. by_x orders the n atoms of xyz on x;
// taken is scratch of one entry per atom.
bool permutes_atoms(const Operation& r, int n, std::span<const double> xyz,
                    std::span<const std::string> symbols, double tol, const XOrder& by_x,
                    std::span<int> taken);

// The first atom (0-based) at which that test fails, -1 when r permutes the atoms.
int unpermuted_atom(const Operation& r, int n, std::span<const double> xyz,
                    std::span<const std::string> symbols, double tol, const XOrder& by_x,
                    std::span<int> taken);

// True when r carries atom i (0-based) of xyz within tol in every component of a like atom: the
// test of permutes_atoms for one atom, without the check that no two atoms land on one.
bool has_image(const Operation& r, int i, std::span<const double> xyz,
               std::span<const std::string> symbols, double tol, const XOrder& by_x);

// Replaces every atom by the average over the group of the images that land on it (accum is
// 3 x n scratch), then sets every coordinate of magnitude below zero_threshold to exactly 0.
void symvec(int n, int g, std::span<const int> neqatm, std::span<const Operation> ops,
            std::span<double> accum, double zero_threshold, std::span<double> xyz);

// Number of totally symmetric internal degrees of freedom: n - 1 for "c*v ", n / 2 for "d*h ",
// 0 for one atom, otherwise from the characters of the Cartesian, translation and rotation
// representations.
int numdeg(int n, int g, std::span<const Operation> ops, std::string_view label,
           std::span<const int> neqatm);

// Lists the group, its operation matrices and neqatm on the listing of run.
void prntsym(common::RunContext& run, int n, std::string_view label, int g,
             std::span<const Operation> ops, std::span<const int> neqatm);

} // namespace symmetry
