"""symmetry's point-group analysis as a function on arrays."""

from dataclasses import dataclass

import numpy as np

from . import _core, checks
from .errors import raise_stop

# The default of the tools (ffprep --help).
DEFAULT_THRSYM = 0.05
DEFAULT_PRINT_LEVEL = 1
INFINITY_MARK = "*"


def textbook_name(label):
    """The Schoenflies symbol of a label: "c2v" gives "C2v", "d*h" gives "D∞h"."""
    return label[:1].upper() + label[1:].replace(INFINITY_MARK, "∞")


def frame_rotation(centred, symmetrised):
    """The proper rotation R that best carries the centred input onto the symmetrised output
    (least squares, symmetrised ≈ centred @ R.T); the unit matrix when nothing fixes it."""
    covariance = symmetrised.T @ centred
    u, _, vt = np.linalg.svd(covariance)
    handedness = np.diag([1.0, 1.0, np.sign(np.linalg.det(u @ vt)) or 1.0])
    return u @ handedness @ vt


@dataclass(frozen=True)
class PointGroup:
    """What one analysis gives.

    ``label`` is the program's label ("c2v", "d*h"), ``name`` the textbook one ("C2v", "D∞h").
    ``operations`` (n_ops, 3, 3) act on column vectors in the standard frame;
    ``equivalent_atoms[m, i]`` is the atom (0-based) onto which operation m carries atom i.
    ``coordinates`` are the symmetrised atoms in the standard frame, ``centroid`` and
    ``rotation`` carry the input there: ``coordinates ≈ (input - centroid) @ rotation.T``.
    ``fallback`` says, when the search found no group it could trust and the result is C1, why
    ("point group search failed: fell back to c1 (...)"); it is empty when the group stands.
    """

    label: str
    name: str
    operations: np.ndarray
    equivalent_atoms: np.ndarray
    coordinates: np.ndarray
    centroid: np.ndarray
    rotation: np.ndarray
    degrees_of_freedom: int
    records: str
    listing: str | None
    fallback: str = ""

    @property
    def order(self):
        """The number of operations."""
        return len(self.operations)


def point_group(
    coordinates, elements, thrsym=DEFAULT_THRSYM, print_level=DEFAULT_PRINT_LEVEL, listing=False
):
    """Finds the point group of a molecule, as symmetry does.

    coordinates: (n, 3), in any length unit (thrsym is in the same); elements: n symbols of at
    most two characters. Raises ValueError for input the program rejects (see
    kelma_symmetry.checks), among them a thrsym not below half the distance of the closest two
    atoms of one element.
    """
    coordinates = checks.atom_coordinates(coordinates)
    call = _core.point_group(
        coordinates,
        checks.elements(elements, len(coordinates)),
        checks.real("$thrsym", thrsym),
        checks.integer("$print", print_level),
    )
    raise_stop(call)
    label = call["label"].rstrip()
    return PointGroup(
        label=label,
        name=textbook_name(label),
        operations=call["operations"],
        equivalent_atoms=call["equivalent_atoms"],
        coordinates=call["coordinates"],
        centroid=coordinates.mean(axis=0),
        rotation=frame_rotation(call["centred"], call["coordinates"]),
        degrees_of_freedom=call["degrees_of_freedom"],
        records=call["stdout"],
        listing=call["listing"] if listing else None,
        fallback=call["fallback"],
    )
