"""kelma's geometry optimisation as a function on arrays."""

from dataclasses import dataclass

import numpy as np

from . import _core, checks
from .errors import raise_stop

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

    ``energies`` (hartree), ``rms_forces`` (hartree/bohr) and ``steps`` (the length of the step
    taken from the cycle's geometry, bohr; 0 where none was) hold one value per cycle, every cycle
    the force field evaluated, in full precision; ``line_search`` says which cycles went on by a
    line search (the records show only the others). ``coordinates`` is the converged geometry, or
    when ``converged`` is False the geometry where the cycle limit stopped the run (Angstrom, full
    precision). ``cycles`` is the number of the last cycle (0 when the limit came before any).
    ``records`` is what the program writes on standard output (None when not kept); ``listing``
    its listing, when asked for.
    """

    energies: np.ndarray
    rms_forces: np.ndarray
    steps: np.ndarray
    line_search: np.ndarray
    coordinates: np.ndarray
    cycles: int
    converged: bool
    records: str | None
    listing: str | None

    @property
    def energy(self):
        """The energy of the last cycle, hartree; None when there was none."""
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
    records=True,
):
    """Optimises a molecule with the Tripos 5.2 force field, as kelma does.

    coordinates: (n, 3) Angstrom; types: n force-field types 1-32; bonds: (m, 3) rows of atom,
    atom (0-based) and bond code (1 single, 2 double, 3 triple, 4 amide, 5 aromatic). The keyword
    values are those of the keyword input. With ``listing`` the result carries the listing text of
    ``print_level``; without ``records`` the program's records are not formatted at all (faster
    when only the numbers are wanted).

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
        bool(records or listing),
    )
    stop = call["stop"]
    at_limit = stop is not None and stop["report"] is None and stop["code"] == CYCLE_LIMIT_CODE
    if not at_limit:
        raise_stop(call)
    figures = call["cycles"]
    return Optimisation(
        energies=figures[:, 0].copy(),
        rms_forces=figures[:, 1].copy(),
        steps=figures[:, 2].copy(),
        line_search=call["line_search"],
        coordinates=call["coordinates"],
        cycles=call["cycle_count"],
        converged=call["converged"],
        records=call["stdout"] if records else None,
        listing=call["listing"] if listing else None,
    )
