"""kelma's geometry optimisation as a function on arrays."""

from dataclasses import dataclass

import numpy as np

from . import _core, checks
from .errors import RunStopped, raise_stop
from .records import cycle_records, last_geometry

# The defaults of the tools (ffprep --help).
DEFAULT_JOBTYPE = 0
DEFAULT_GTOL = 0.0005
DEFAULT_ETOL = 1.0e-6
DEFAULT_NSTEPS = 200
DEFAULT_VDWC = 8.0
DEFAULT_PRINT_LEVEL = 1
# The stop code of the cycle limit.
CYCLE_LIMIT_CODE = "666"


@dataclass(frozen=True)
class Optimisation:
    """What one optimisation gives.

    ``energies`` (hartree) and ``rms_forces`` (hartree/bohr) hold one value per cycle, as the cycle
    records show them (a value too wide for its record reads as infinity); ``coordinates`` is the
    converged geometry (Angstrom, full precision), or when ``converged`` is False the last geometry
    the records show (10 decimals). A limit that comes before any cycle is recorded (``nsteps`` 0
    or 1) leaves ``energies`` empty, ``cycles`` 0 and ``coordinates`` the starting geometry.
    ``records`` is what the program writes on standard output; ``listing`` its listing, when asked
    for.
    """

    energies: np.ndarray
    rms_forces: np.ndarray
    coordinates: np.ndarray
    cycles: int
    converged: bool
    records: str
    listing: str | None

    @property
    def energy(self):
        """The energy of the last cycle recorded, hartree; None when none was."""
        return float(self.energies[-1]) if len(self.energies) else None


def optimise(
    coordinates,
    types,
    bonds,
    jobtype=DEFAULT_JOBTYPE,
    gtol=DEFAULT_GTOL,
    etol=DEFAULT_ETOL,
    nsteps=DEFAULT_NSTEPS,
    vdwc=DEFAULT_VDWC,
    print_level=DEFAULT_PRINT_LEVEL,
    listing=False,
):
    """Optimises a molecule with the Tripos 5.2 force field, as kelma does.

    coordinates: (n, 3) Angstrom; types: n force-field types 1-32; bonds: (m, 3) rows of atom,
    atom (0-based) and bond code (1 single, 2 double, 3 triple, 4 amide, 5 aromatic). The keyword
    values are those of the keyword input. With ``listing`` the result carries the listing text of
    ``print_level``.

    Raises ValueError for input the program rejects or would run to a meaningless result (see
    kelma_symmetry.checks), NumberedReport for a numbered report and RunStopped for too little
    workspace.
    """
    coordinates = checks.atom_coordinates(coordinates)
    natoms = len(coordinates)
    call = _core.optimise(
        coordinates,
        checks.types(types, natoms),
        checks.bonds(bonds, natoms),
        checks.integer("$jobtype", jobtype),
        checks.positive("$gtol", gtol),
        checks.positive("$etol", etol),
        checks.integer("$nsteps", nsteps, minimum=0),
        checks.positive("$vdwc", vdwc),
        checks.integer("$print", print_level),
    )
    stop = call["stop"]
    at_limit = stop is not None and stop["report"] is None and stop["code"] == CYCLE_LIMIT_CODE
    if not at_limit:
        raise_stop(call)
    cycles = cycle_records(call["stdout"])
    return Optimisation(
        energies=np.array([energy for _, energy, _ in cycles]),
        rms_forces=np.array([rms for _, _, rms in cycles]),
        coordinates=call["coordinates"] if stop is None else stopped_geometry(call, coordinates),
        cycles=cycles[-1][0] if cycles else 0,
        converged=stop is None,
        records=call["stdout"],
        listing=call["listing"] if listing else None,
    )


def stopped_geometry(call, start):
    """The last geometry the records of a run stopped at the cycle limit show, or the start when
    they show none. A record of atoms that have wandered beyond its fields cannot be read."""
    geometry = last_geometry(call["stdout"])
    if not len(geometry):
        return start.copy()
    if not np.isfinite(geometry).all():
        raise RunStopped(
            CYCLE_LIMIT_CODE,
            "the cycle limit came with atoms beyond the range of the geometry records",
            call["stdout"],
            call["listing"],
        )
    return geometry
