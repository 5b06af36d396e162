"""kelma's geometry optimisation as a function on arrays."""

from dataclasses import dataclass

import numpy as np

from . import _core, checks, defaults
from .errors import raise_stop

# kelma's factor from kcal/mol (the force field's unit) to hartree (the optimiser's).
HARTREE_PER_KCAL = _core.hartree_per_kcal
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
    jobtype=defaults.JOBTYPE,
    gtol=defaults.GTOL,
    etol=defaults.ETOL,
    nsteps=defaults.NSTEPS,
    vdwc=defaults.VDWC,
    print_level=defaults.PRINT_LEVEL,
    listing=False,
    records=True,
):
    """Optimises a molecule with the Tripos 5.2 force field, as kelma does.

    coordinates: (n, 3) Angstrom; types: n force-field types 1-32; bonds: (m, 3) rows of atom,
    atom (0-based) and bond code (1 single, 2 double, 3 triple, 4 amide, 5 aromatic). The keyword
    values are those of the keyword input, their defaults the tools' (kelma_symmetry.defaults):
    ``nsteps="auto"`` is 50 cycles per atom, 1,000 to 9,998. With ``listing`` the result carries
    the listing text of ``print_level``; without ``records`` the program's records are not
    formatted at all (faster when only the numbers are wanted).

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
        nsteps=defaults.cycle_limit(nsteps, natoms),
        keep_texts=bool(records or listing),
        **settings(jobtype, gtol, etol, vdwc, print_level),
    )
    if not at_cycle_limit(call):
        raise_stop(call)
    return optimisation(call, records, listing)


def settings(jobtype, gtol, etol, vdwc, print_level):
    """The keyword values of a run, checked, as the calls pass them on (nsteps apart, which may
    depend on the molecule)."""
    return {
        "jobtype": checks.integer("$jobtype", jobtype),
        "gtol": checks.positive("$gtol", gtol),
        "etol": checks.positive("$etol", etol),
        "vdwc": checks.positive("$vdwc", vdwc),
        "print_level": checks.integer("$print", print_level),
    }


def at_cycle_limit(call):
    """Whether the call ended at the cycle limit, which is no failure."""
    stop = call["stop"]
    return stop is not None and stop["report"] is None and stop["code"] == CYCLE_LIMIT_CODE


def optimisation(call, records=False, listing=False):
    """The Optimisation of a call that did not stop before its cycles."""
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
