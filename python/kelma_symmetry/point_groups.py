"""symmetry's point-group analysis as a function on arrays."""

from dataclasses import dataclass

import numpy as np

from . import _core, checks, defaults
from .errors import raise_stop

INFINITY_MARK = "*"


def textbook_name(label):
    """The Schoenflies symbol of a label: "c2v" gives "C2v", "d*h" gives "D∞h"."""
    return label[:1].upper() + label[1:].replace(INFINITY_MARK, "∞")


@dataclass(frozen=True)
class Element:
    """One symmetry element: ``kind`` ("rotation axis", "mirror plane", "improper axis",
    "inversion centre"), ``order`` (the highest n of Cn or Sn about an axis; 0 for a plane and
    the centre) and ``direction`` (the unit axis or the plane's normal in the standard frame;
    zero for the centre)."""

    kind: str
    order: int
    direction: np.ndarray


@dataclass(frozen=True)
class Deviation:
    """How far the symmetrisation moved the atoms as given (in their length unit): ``rms`` and
    ``largest`` displacement, ``image`` the largest distance between an operation's image of an
    atom and the atom it lands on, ``csm`` the continuous symmetry measure (100 times the squared
    displacements over the squared distances from the centroid, for the frame and atom mapping the
    search found) and ``constraints`` the coordinates the group constrains."""

    rms: float = 0.0
    largest: float = 0.0
    image: float = 0.0
    csm: float = 0.0
    constraints: int = 0


@dataclass(frozen=True)
class PointGroup:
    """What one analysis gives.

    ``label`` is the program's label ("c2v", "d*h"), ``name`` the textbook one ("C2v", "D∞h").
    ``operations`` (n_ops, 3, 3) act on column vectors in the standard frame;
    ``equivalent_atoms[m, i]`` is the atom (0-based) onto which operation m carries atom i.
    ``coordinates`` are the symmetrised atoms in the standard frame, ``centroid`` and
    ``rotation`` carry the input there: ``coordinates ≈ (input - centroid) @ rotation.T``.
    ``elements`` lists the group's axes, planes and centre (see :class:`Element`).
    ``fallback`` says, when the search found no group it could trust and the result is C1, why
    ("point group search failed: fell back to c1 (...)"); it is empty when the group stands.
    ``records`` is what the program writes on standard output (None when not kept).
    ``deviation`` says how far the symmetrisation moved the atoms (see :class:`Deviation`).
    """

    label: str
    name: str
    operations: np.ndarray
    equivalent_atoms: np.ndarray
    coordinates: np.ndarray
    centroid: np.ndarray
    rotation: np.ndarray
    degrees_of_freedom: int
    elements: tuple
    records: str | None
    listing: str | None
    fallback: str = ""
    deviation: Deviation = Deviation()

    @property
    def order(self):
        """The number of operations."""
        return len(self.operations)


def point_group(
    coordinates,
    elements,
    thrsym=defaults.THRSYM,
    print_level=defaults.PRINT_LEVEL,
    listing=False,
    records=True,
):
    """Finds the point group of a molecule, as symmetry does.

    coordinates: (n, 3), in any length unit (thrsym is in the same); elements: n symbols of at
    most two characters. Raises ValueError for input the program rejects (see
    kelma_symmetry.checks), among them a thrsym not below half the distance of the closest two
    atoms of one element. Without ``records`` the program's records are not formatted at all.
    """
    coordinates = checks.atom_coordinates(coordinates)
    call = _core.point_group(
        coordinates,
        checks.elements(elements, len(coordinates)),
        checks.real("$thrsym", thrsym),
        checks.integer("$print", print_level),
        bool(records or listing),
    )
    raise_stop(call)
    return group_of(call, records, listing)


def group_of(call, records=False, listing=False):
    """The PointGroup of a symmetry call's fields, with its texts when they were asked for."""
    label = call["label"].rstrip()
    return PointGroup(
        label=label,
        name=textbook_name(label),
        operations=call["operations"],
        equivalent_atoms=call["equivalent_atoms"],
        coordinates=call["coordinates"],
        centroid=call["centre"][0],
        rotation=call["rotation"],
        degrees_of_freedom=call["degrees_of_freedom"],
        elements=tuple(Element(*element) for element in call["elements"]),
        records=call["stdout"] if records else None,
        listing=call["listing"] if listing else None,
        fallback=call["fallback"],
        deviation=Deviation(**call["deviation"]),
    )
