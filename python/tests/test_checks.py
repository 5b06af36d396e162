"""What the package refuses before a run, what it takes at the edges, and molecules from files
whatever their bytes."""

import math

import numpy as np
import pytest

import kelma_symmetry as ks
from kelma_symmetry import files
from support import CASES

ETHANE = ks.read_kelma_input(CASES / "kelma_ethane/input")
WATER = (
    np.array([[0.0, 0.0, 0.1173], [0.0, 0.7572, -0.4692], [0.0, -0.7572, -0.4692]]),
    ["O", "H", "H"],
)
H2_AT_THE_LOW_EDGE = (np.array([[-9999.99, 0.0, 0.0], [-9999.59, 0.0, 0.0]]), [13, 13], [[0, 1, 1]])


def optimise_ethane(**changes):
    given = {
        "coordinates": ETHANE.coordinates,
        "types": ETHANE.types,
        "bonds": ETHANE.bonds,
        **changes,
    }
    return ks.optimise(**given)


def to_atoms(elements, coordinates):
    from kelma_symmetry.ase_atoms import to_atoms

    return to_atoms(elements, coordinates)


def from_atoms(positions):
    import ase

    from kelma_symmetry.ase_atoms import from_atoms

    return from_atoms(ase.Atoms("H2", positions=positions))


@pytest.mark.parametrize(
    "call,text",
    [
        (
            lambda: optimise_ethane(types=[13, 0] + [13] * 6),
            "atom 2: force-field type 0 is below 1",
        ),
        (lambda: optimise_ethane(types=[-1] * 8), "atom 1: force-field type -1 is below 1"),
        (
            lambda: optimise_ethane(types=[2**40] * 8),
            "atom 1: force-field type 1099511627776 is above 32",
        ),
        (
            lambda: optimise_ethane(types=[1.5] * 8),
            "atom 1: force-field type 1.5 is not an integer",
        ),
        (lambda: optimise_ethane(types=[1] * 7), "types must hold one force-field type per atom"),
        (lambda: optimise_ethane(bonds=[[0, 1, 0]]), "bond 1: bond code 0 is outside 1..5"),
        (
            lambda: optimise_ethane(bonds=[[0, 1, 1], [1, 2, 6]]),
            "bond 2: bond code 6 is outside 1..5",
        ),
        (
            lambda: optimise_ethane(bonds=[[0, 1, 1], [2, 2, 1]]),
            "bond 2: atom index 2 is bonded to itself",
        ),
        (lambda: optimise_ethane(bonds=[[0, 1.5, 1]]), "bond 1: 1.5 is not an integer"),
        (
            lambda: optimise_ethane(bonds=[[0, 1]]),
            "bonds must be an (m, 3) array of atom, atom, bond code",
        ),
        (lambda: optimise_ethane(gtol=math.nan), "$gtol must be a positive number, not nan"),
        (lambda: optimise_ethane(etol=0.0), "$etol must be a positive number, not 0.0"),
        (lambda: optimise_ethane(vdwc=-8), "$vdwc must be a positive number, not -8"),
        (lambda: optimise_ethane(nsteps=-1), "$nsteps must not be below 0, not -1"),
        (lambda: optimise_ethane(nsteps=2.0), "$nsteps must be an integer, not 2.0"),
        (
            lambda: optimise_ethane(jobtype=2**40),
            "$jobtype must be a 32-bit integer, not 1099511627776",
        ),
        (lambda: optimise_ethane(print_level="1"), "$print must be an integer, not '1'"),
        (
            lambda: optimise_ethane(coordinates=ETHANE.coordinates * [1, -np.inf, 1]),
            "atom 1: y coordinate is infinite",
        ),
        (
            lambda: optimise_ethane(coordinates=np.vstack([[0, 0, -1e4], ETHANE.coordinates[1:]])),
            "atom 1: z coordinate -10000.0 is outside -9999.9999999999..99999.9999999999,"
            " the range of the atom lines",
        ),
        (
            lambda: optimise_ethane(coordinates=np.full((8, 3), "1")),
            "coordinates must be numbers, not <U1",
        ),
        (
            lambda: ks.point_group(WATER[0] + [1e5, 0, 0], WATER[1]),
            "atom 1: x coordinate 100000.0 is outside -9999.9999999999..99999.9999999999,"
            " the range of the atom lines",
        ),
        (lambda: ks.point_group(*WATER, thrsym="0.05"), "$thrsym must be a number, not '0.05'"),
        (lambda: ks.point_group(*WATER, thrsym=math.nan), "$thrsym must be a positive number"),
        (lambda: ks.point_group(*WATER, print_level=True), "$print must be an integer, not True"),
        (lambda: ks.point_group(*WATER, thrsym=10.0), "$thrsym 10 must be below"),
        (
            lambda: ks.point_group(WATER[0], "OHH"),
            "elements must be one symbol per atom, not the string 'OHH'",
        ),
        (lambda: ks.point_group(WATER[0], [8, "H", "H"]), "atom 1: element 8 is not a string"),
        (lambda: to_atoms(["O", "H"], WATER[0]), "elements must hold one symbol per atom"),
        (lambda: to_atoms(WATER[1], WATER[0] * np.nan), "atom 1: x coordinate is not a number"),
        (lambda: from_atoms([[0, 0, 0], [np.nan, 0, 0]]), "atom 2: x coordinate is not a number"),
    ],
)
def test_refused_arguments_raise_one_line_naming_argument_and_value(call, text):
    with pytest.raises(ValueError) as raised:
        call()
    assert str(raised.value) == text or str(raised.value).startswith(text + " ")


def test_a_molecule_too_small_for_the_search_says_why_it_is_c1():
    group = ks.point_group(WATER[0] * 1e-4, WATER[1], thrsym=1e-5)
    assert group.label == "c1" and group.fallback.startswith(
        "point group search failed: fell back to c1"
    )
    assert ks.point_group(*WATER).fallback == ""


@pytest.mark.parametrize(
    "x", [(-9999.9999999999, -9999.2599999999), (99999.2599999999, 99999.9999999999)]
)
def test_coordinates_at_the_edges_of_the_atom_lines_are_taken(x):
    h2 = np.array([[x[0], 0.0, 0.0], [x[1], 0.0, 0.0]])
    assert ks.point_group(h2, ["H", "H"], thrsym=0.01).name == "D∞h"


@pytest.mark.parametrize("nsteps", [0, 1])
def test_a_limit_at_the_first_cycle_gives_its_figures_and_the_start(nsteps):
    result = optimise_ethane(nsteps=nsteps)
    assert (result.converged, result.cycles, len(result.energies)) == (False, 1, 1)
    np.testing.assert_array_equal(result.coordinates, ETHANE.coordinates)


def test_atoms_beyond_the_geometry_records_come_back_in_full_precision():
    stopped = ks.optimise(*H2_AT_THE_LOW_EDGE, nsteps=2, records=False)
    assert not stopped.converged and stopped.records is None
    assert (
        np.isfinite(stopped.coordinates).all()
        and stopped.coordinates[:, 0].min() < -9999.9999999999
    )
    converged = ks.optimise(*H2_AT_THE_LOW_EDGE)
    assert converged.converged and np.isfinite(converged.coordinates).all()


SDF_TITLE_LATIN1 = b"""caf\xe9
  handmade

  2  1  0  0  0  0  0  0  0  0999 V2000
    0.0000    0.0000    0.0000 H   0  0  0  0  0  0  0  0  0  0  0  0
    0.7400    0.0000    0.0000 H   0  0  0  0  0  0  0  0  0  0  0  0
  1  2  1  0  0  0  0
M  END
$$$$
"""


@pytest.mark.parametrize(
    "suffix,content,name,error",
    [
        (".xyz", b"2\ncaf\xe9\nH 0 0 0\nH 0.74 0 0\n", "caf\ufffd", ""),
        (".sdf", SDF_TITLE_LATIN1, "caf\ufffd", ""),
        # The reader refuses these itself, with its own words.
        (
            ".xyz",
            b"2\nbroken\nH 0 0 nan\nH 0.74 0 0\n",
            "broken",
            "atom 1: unreadable coordinates '0', '0', 'nan'",
        ),
        (
            ".xyz",
            b"2\nfar\nH -20000 0 0\nH -20000.74 0 0\n",
            "far",
            "atom 1: coordinate too large for the input",
        ),
    ],
)
def test_a_file_molecule_reads_any_title_and_carries_why_it_cannot_run(
    suffix, content, name, error, tmp_path
):
    path = tmp_path / f"molecule{suffix}"
    path.write_bytes(content)
    (molecule,) = files.read_file(path)
    assert (molecule.name, molecule.error) == (name, error)
    if error:
        with pytest.raises(ValueError, match=f"^{name}: "):
            molecule.optimise()
    else:
        assert name in molecule.mol2 and molecule.optimise().converged
