"""ASE Atoms in and out: the molecule of an Atoms object (bonds and types perceived by the
formats layer, as for an XYZ file, and as a batch's workers read it), and Atoms of any
coordinates."""

import dataclasses

import ase

from . import _core, checks
from .files import molecule as file_molecule

# Atoms are read as an XYZ file of this name, and so named "atoms".
RECORD_FILE = "atoms.xyz"
RECORD_FORMAT = "xyz"


def xyz_text(atoms):
    """The atoms as an XYZ file; ValueError for positions that are not finite numbers."""
    positions = checks.coordinates(atoms.positions)
    lines = [str(len(atoms)), ""]
    lines += [
        f"{s} {x!r} {y!r} {z!r}"
        for s, (x, y, z) in zip(atoms.get_chemical_symbols(), positions.tolist())
    ]
    return "\n".join(lines) + "\n"


def atoms_request(atoms):
    """(request, name) of the atoms for a batch's worker, which reads them as from_atoms does."""
    ((request, _),) = _core.text_requests(xyz_text(atoms), RECORD_FILE, RECORD_FORMAT, None, False)
    return request, "atoms"


def from_atoms(atoms, name="atoms"):
    """The molecule of an ASE Atoms object, as ffprep would prepare it from an XYZ file."""
    request, _ = atoms_request(atoms)
    (fields,) = _core.read_request(request)
    return dataclasses.replace(file_molecule(fields), name=name)


def to_atoms(elements, coordinates):
    """An ASE Atoms object of the elements and coordinates (Angstrom)."""
    coordinates = checks.coordinates(coordinates)
    symbols = checks.elements(elements, len(coordinates))
    return ase.Atoms(symbols=[e.strip() for e in symbols], positions=coordinates)
