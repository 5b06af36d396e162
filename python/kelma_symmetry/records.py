"""The optimiser's result records, read back by their fixed columns."""

import math

import numpy as np

CYCLE_MARK = "**  "
# Columns of "('**  ',I4,'  Energy:',F16.9,'   RMSG:',F8.5)", as Python slices.
CYCLE_COLUMNS = slice(4, 8)
ENERGY_COLUMNS = slice(17, 33)
RMSG_COLUMNS = slice(41, 49)
GEOMETRY_MARK = "@"
# "('@',3F16.10)"
COORDINATE_WIDTH = 16


def field_value(text):
    """A real field; one that overflowed (asterisks) reads NaN."""
    return math.nan if "*" in text else float(text)


def magnitude_value(text):
    """A field of a value that is too large when it overflows: energies (the force field's
    terms are bounded below, far above the field's negative range) and RMS forces read infinity."""
    return math.inf if "*" in text else float(text)


def cycle_records(stdout):
    """(cycle, energy in hartree, RMS force in hartree/bohr) of every cycle, in order.

    The converged cycle is recorded twice (before its geometry and before the final one); it is
    listed once.
    """
    cycles = []
    for line in stdout.splitlines():
        if not line.startswith(CYCLE_MARK):
            continue
        cycle = int(line[CYCLE_COLUMNS])
        if not cycles or cycles[-1][0] != cycle:
            cycles.append((cycle, magnitude_value(line[ENERGY_COLUMNS]), magnitude_value(line[RMSG_COLUMNS])))
    return cycles


def last_geometry(stdout):
    """The last block of geometry records, (n, 3) Angstrom."""
    blocks = []
    previous_was_geometry = False
    for line in stdout.splitlines():
        is_geometry = line.startswith(GEOMETRY_MARK)
        if is_geometry and not previous_was_geometry:
            blocks.append([])
        if is_geometry:
            fields = [line[1 + k * COORDINATE_WIDTH : 1 + (k + 1) * COORDINATE_WIDTH] for k in range(3)]
            blocks[-1].append([field_value(field) for field in fields])
        previous_was_geometry = is_geometry
    return np.array(blocks[-1] if blocks else [], dtype=float).reshape(-1, 3)
