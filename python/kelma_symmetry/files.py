"""Molecules from chemistry files and SMILES, prepared by the tools' formats layer (Open Babel)
exactly as ffprep prepares them: bonds perceived where the file has none, hydrogens added where
asked, Sybyl atom types and their force-field numbers, bond codes 1-5."""

import os
import tempfile
from dataclasses import dataclass, field

import numpy as np

from . import _core, checks
from .optimiser import optimise
from .point_groups import point_group


@dataclass(frozen=True)
class Molecule:
    """A molecule ready for both programs. ``bonds`` are (atom, atom, code) rows with 0-based
    atoms; ``notes`` say what was guessed or added on the way, ``mol2`` is the prepared molecule
    as MOL2 text. A molecule with an ``error`` cannot be run."""

    name: str
    elements: list
    types: np.ndarray
    coordinates: np.ndarray
    bonds: np.ndarray
    sybyl_types: list = field(default_factory=list)
    notes: list = field(default_factory=list)
    tags: list = field(default_factory=list)
    mol2: str = ""
    error: str = ""

    def runnable(self):
        """The molecule itself; ValueError with the reason when it cannot be run."""
        if self.error:
            raise ValueError(f"{self.name}: {self.error}")
        return self

    def optimise(self, **settings):
        """kelma on the molecule (keyword arguments as for kelma_symmetry.optimise)."""
        return optimise(self.runnable().coordinates, self.types, self.bonds, **settings)

    def point_group(self, **settings):
        """symmetry on the molecule (keyword arguments as for kelma_symmetry.point_group)."""
        return point_group(self.runnable().coordinates, self.elements, **settings)


def molecule(fields):
    """The Molecule of the formats layer's fields; one that the programs could not run as it
    stands (a coordinate that is not finite, too many atoms) carries the reason as its error."""
    error = fields["error"] or checks.molecule_problem(
        fields["coordinates"], fields["elements"], fields["types"], fields["bonds"]
    )
    return Molecule(
        name=fields["name"],
        elements=fields["elements"],
        types=fields["types"],
        coordinates=fields["coordinates"],
        bonds=fields["bonds"],
        sybyl_types=fields["sybyl_types"],
        notes=fields["notes"],
        tags=fields["tags"],
        mol2=fields["mol2"],
        error=error,
    )


BUILD_SEED = _core.default_build_seed
BUILD_TIMEOUT = _core.default_build_timeout


def read_file(path, format="", add_hydrogens=None, retype=False, build_seed=BUILD_SEED,
              build_timeout=BUILD_TIMEOUT):
    """The molecules of a chemistry file, in order; the format comes from the extension unless
    given as Open Babel's code ("sdf"). add_hydrogens: None adds them only to molecules without
    coordinates. Molecules without 3D coordinates are built as ffprep builds them (build_seed,
    and build_timeout in seconds, as its --build-seed and --build-timeout). Raises ValueError
    (FormatError) for a file that cannot be read at all."""
    return [
        molecule(fields)
        for fields in _core.read_file(
            os.fspath(path), format, add_hydrogens, retype, build_seed, build_timeout
        )
    ]


@dataclass(frozen=True)
class FileMolecules:
    """The molecules of a chemistry file, read one record at a time as they are iterated (the
    options as read_file's). The batch calls send its records to their workers unread, so that
    the reading and preparation run there too."""

    path: str
    format: str = ""
    add_hydrogens: bool | None = None
    retype: bool = False
    build_seed: int = BUILD_SEED
    build_timeout: int = BUILD_TIMEOUT

    def requests(self):
        """(request, title) of each record of the file, lazily; nothing is read."""
        return _core.FileRequests(
            self.path,
            self.format,
            self.add_hydrogens,
            self.retype,
            self.build_seed,
            self.build_timeout,
        )

    def record_count(self):
        """The number of records the file is cut into (a molecule each, in the formats the
        tools cut), without reading any."""
        return _core.count_records(self.path, self.format)

    def __iter__(self):
        for request, _ in self.requests():
            for fields in _core.read_request(request):
                yield molecule(fields)


def stream(path, format="", add_hydrogens=None, retype=False, build_seed=BUILD_SEED,
           build_timeout=BUILD_TIMEOUT):
    """The molecules of a chemistry file as a lazy iterable (see FileMolecules); read_file's
    options. Raises FileNotFoundError for a path that does not exist."""
    if not os.path.exists(path):
        raise FileNotFoundError(f"{os.fspath(path)}: no such file")
    return FileMolecules(os.fspath(path), format, add_hydrogens, retype, build_seed, build_timeout)


def read_text(text, format, **options):
    """The molecules of a chemistry file's text in the given format (read_file's options)."""
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, f"molecule.{format}")
        with open(path, "w", encoding="utf-8") as file:
            file.write(text)
        return read_file(path, format, **options)


def from_smiles(smiles, name="smiles", build_seed=BUILD_SEED, build_timeout=BUILD_TIMEOUT):
    """The molecule of a SMILES string, hydrogens added and 3D coordinates built: the same
    coordinates as ffprep's for the same SMILES and seed, on every call."""
    return molecule(_core.read_smiles(smiles, name, build_seed, build_timeout)).runnable()
