"""Many molecules at once: kelma, then symmetry on the converged geometry (or symmetry alone), on
every molecule of a file, a list or a generator. The molecules run on worker processes that the
tools' pool forks from the calling thread only, each input with a time limit; a molecule that
fails, crashes its worker or runs out of time costs only itself. Results come in input order,
one per molecule, with the outcome words of ffbatch's status.tsv, and make a pandas table."""

import itertools
import os
from dataclasses import dataclass

from . import _core, checks, defaults
from .errors import stop_error
from .files import FileMolecules, Molecule, molecule as file_molecule, stream
from .optimiser import Optimisation, at_cycle_limit, optimisation, settings as kelma_settings
from .point_groups import PointGroup, group_of
from .progress import progress as progress_counter

OUTCOMES = _core.outcome_words
# The name of an input that gives none (status.tsv's "-").
UNNAMED = "-"
# The columns of the table, one row per molecule: energy in hartree, RMS force in hartree/bohr,
# the textbook name of the point group, wall seconds of both programs.
COLUMNS = (
    "name",
    "atoms",
    "outcome",
    "cycles",
    "energy",
    "rms_force",
    "point_group",
    "degrees_of_freedom",
    "notes",
    "detail",
    "seconds",
)


@dataclass(frozen=True)
class MoleculeResult:
    """One molecule of a batch. ``outcome`` is status.tsv's word ("converged", "cycle limit",
    "point group", "skipped", "input error", "timeout", ...); ``error`` says why the molecule has
    no result (empty when it has one), ``detail`` anything else worth saying (why the group fell
    back to C1, why it was not symmetrised). ``source`` is the item as it was given (an RDKit
    Mol, ASE Atoms, a Molecule), None for the records of a file."""

    name: str
    outcome: str
    molecule: Molecule | None = None
    optimisation: Optimisation | None = None
    point_group: PointGroup | None = None
    error: str = ""
    detail: str = ""
    seconds: float = 0.0
    source: object = None

    def row(self):
        """The molecule's row of the table (COLUMNS); None where a value does not apply."""
        done, group, molecule = self.optimisation, self.point_group, self.molecule
        figures = done is not None and len(done.energies) > 0
        return {
            "name": self.name,
            "atoms": len(molecule.elements) if molecule is not None else None,
            "outcome": self.outcome,
            "cycles": done.cycles if done is not None else None,
            "energy": done.energy if figures else None,
            "rms_force": float(done.rms_forces[-1]) if figures else None,
            "point_group": group.name if group is not None else None,
            "degrees_of_freedom": group.degrees_of_freedom if group is not None else None,
            "notes": ", ".join(molecule.tags) if molecule is not None else "",
            "detail": self.error or self.detail,
            "seconds": self.seconds,
        }


class Results(list):
    """The results of a batch, one MoleculeResult per molecule in input order."""

    @property
    def errors(self):
        """The molecules that gave no result."""
        return [result for result in self if result.error]

    def to_dataframe(self):
        """A pandas DataFrame of one row per molecule (needs pandas)."""
        import pandas

        return pandas.DataFrame([result.row() for result in self], columns=list(COLUMNS))


@dataclass(frozen=True)
class Pending:
    """What the caller keeps of a request until its answer comes."""

    name: str
    source: object = None
    molecule: Molecule | None = None


def optimise_many(
    molecules,
    *,
    workers=None,
    timeout=defaults.TIMEOUT_SECONDS,
    progress=True,
    point_group=True,
    jobtype=defaults.JOBTYPE,
    gtol=defaults.GTOL,
    etol=defaults.ETOL,
    nsteps=defaults.NSTEPS,
    vdwc=defaults.VDWC,
    thrsym=defaults.THRSYM,
):
    """kelma on every molecule, and with ``point_group`` symmetry on each converged geometry.

    molecules: a chemistry file's path, a ``files.stream`` of one, or an iterable of Molecules,
    RDKit Mols (their default conformer), ASE Atoms and paths, in any mix. A file's records are
    read and prepared in the workers. ``workers``: worker processes (default: one per CPU this
    process may run on); ``timeout``: seconds each input may take, reading included (None for
    no limit); ``progress``: a bar on standard error (tqdm's when installed). The keyword values
    and their defaults are those of optimise and point_group (``nsteps="auto"``).
    Returns Results in input order.
    """
    settings = _core.BatchSettings(
        run_kelma=True,
        nsteps=defaults.given_cycle_limit(nsteps),
        run_symmetry=bool(point_group),
        thrsym=checks.positive("$thrsym", thrsym),
        **kelma_settings(jobtype, gtol, etol, vdwc, defaults.PRINT_LEVEL),
    )
    return run(molecules, settings, workers, timeout, progress)


def point_group_many(
    molecules,
    *,
    workers=None,
    timeout=defaults.TIMEOUT_SECONDS,
    progress=True,
    thrsym=defaults.THRSYM,
):
    """symmetry on every molecule as it is given (optimise_many's molecules and options)."""
    settings = _core.BatchSettings(
        run_kelma=False,
        print_level=defaults.PRINT_LEVEL,
        run_symmetry=True,
        thrsym=checks.positive("$thrsym", thrsym),
    )
    return run(molecules, settings, workers, timeout, progress)


def run(molecules, settings, workers, timeout, progress):
    """The requests of the molecules on the workers, the answers judged in request order."""
    workers = (
        defaults.workers() if workers is None else checks.integer("workers", workers, minimum=1)
    )
    seconds = 0 if timeout is None else checks.integer("timeout", timeout, minimum=1)
    items = inputs(molecules)
    requests = itertools.chain.from_iterable(map(requests_of, items))
    handed = itertools.count()
    pending = {}
    results = Results()
    counter = progress_counter(input_count(items), progress)

    def next_request():
        request, entry = next(requests, (None, None))
        if request is not None:
            pending[next(handed)] = entry
        return request

    def take(index, answer, failure, late):
        entry = pending.pop(index)
        if answer is None:
            outcome = OUTCOMES["timeout"] if late else OUTCOMES["failed"]
            results.append(
                MoleculeResult(
                    entry.name,
                    outcome,
                    entry.molecule,
                    error=f"its worker {failure}",
                    source=entry.source,
                )
            )
        else:
            results.extend(judged(fields, entry) for fields in _core.answers(answer))
        counter.update(1)

    try:
        _core.run_batch(next_request, take, workers, seconds, settings)
    finally:
        counter.close()
    return results


def inputs(molecules):
    """The inputs as a sequence when they are one (so that they can be counted first), a lazy
    iterable otherwise; a path stands for its file."""
    if is_path(molecules) or isinstance(molecules, FileMolecules):
        return [as_input(molecules)]
    if isinstance(molecules, list | tuple):
        return [as_input(item) for item in molecules]
    return map(as_input, molecules)


def is_path(item):
    return isinstance(item, str | os.PathLike)


def as_input(item):
    return stream(item) if is_path(item) else item


def input_count(items):
    """The number of inputs the progress counts (records for a file), None when unknown."""
    if not isinstance(items, list):
        return None
    return sum(item.record_count() if isinstance(item, FileMolecules) else 1 for item in items)


def requests_of(item):
    """(request, Pending) of each input an item holds: every record of a file, one otherwise."""
    if isinstance(item, FileMolecules):
        stem = os.path.splitext(os.path.basename(item.path))[0]
        return ((request, Pending(title or stem)) for request, title in item.requests())
    if isinstance(item, Molecule):
        return [molecule_request(item)]
    return [adapter_request(item)]


def molecule_request(molecule):
    entry = Pending(molecule.name, molecule, molecule)
    if molecule.error:
        return _core.refused_request(molecule.error, True), entry
    problem = checks.molecule_problem(
        molecule.coordinates, molecule.elements, molecule.types, molecule.bonds
    )
    if problem:
        return _core.refused_request(problem, False), entry
    request = _core.molecule_request(
        molecule.coordinates,
        checks.types(molecule.types, len(molecule.types)),
        molecule.bonds,
        molecule.elements,
    )
    return request, entry


def adapter_request(item):
    """The request of an RDKit Mol or ASE Atoms, whose molecule the worker reads and prepares
    as from_mol and from_atoms do; any other item is refused."""
    package = type(item).__module__.split(".")[0]
    try:
        if package == "rdkit":
            from .rdkit_mol import mol_request

            request, name = mol_request(item)
            return request, Pending(name, item)
        if package == "ase":
            from .ase_atoms import atoms_request

            request, name = atoms_request(item)
            return request, Pending(name, item)
    except ValueError as error:
        return _core.refused_request(str(error), True), Pending(UNNAMED, item)
    what = "nothing (the reader gave None)" if item is None else f"a {type(item).__name__}"
    return _core.refused_request(f"not a molecule: {what}", True), Pending(UNNAMED, item)


def judged(fields, entry):
    """The MoleculeResult of one molecule of an answer."""
    molecule = (
        file_molecule(fields["molecule"]) if fields["molecule"] is not None else entry.molecule
    )
    name = molecule.name if molecule is not None else entry.name
    refusal = fields["refusal"] or (
        OUTCOMES["skipped"] if molecule is not None and molecule.error else ""
    )
    base = {
        "name": name,
        "molecule": molecule,
        "seconds": fields["seconds"],
        "source": entry.source,
    }
    if refusal:
        return MoleculeResult(outcome=refusal, error=fields["error"] or molecule.error, **base)
    kelma, symmetry = fields["kelma"], fields["symmetry"]
    done = None
    if kelma is not None:
        stopped = None if at_cycle_limit(kelma) else stop_error(kelma)
        if stopped is not None:
            return MoleculeResult(outcome=OUTCOMES["numbered_report"], error=str(stopped), **base)
        done = optimisation(kelma)
        if not done.converged:
            detail = (
                f"{OUTCOMES['not_symmetrised']}: "
                f"the cycle limit stopped the run at cycle {done.cycles}"
            )
            return MoleculeResult(
                outcome=OUTCOMES["cycle_limit"], optimisation=done, detail=detail, **base
            )
        base.update(outcome=OUTCOMES["converged"], optimisation=done)
    if symmetry is not None and stop_error(symmetry) is None:
        group = group_of(symmetry)
        base.setdefault("outcome", OUTCOMES["point_group"])
        return MoleculeResult(point_group=group, detail=group.fallback, **base)
    refused = fields["symmetry_error"]
    stopped = stop_error(symmetry) if symmetry is not None else None
    if done is not None:
        why = refused or (str(stopped) if stopped is not None else "")
        return MoleculeResult(detail=f"{OUTCOMES['not_symmetrised']}: {why}" if why else "", **base)
    if stopped is not None:
        return MoleculeResult(outcome=OUTCOMES["numbered_report"], error=str(stopped), **base)
    return MoleculeResult(outcome=OUTCOMES["input_error"], error=refused, **base)
