"""ASE Atoms in and out: the molecule of an Atoms object (bonds and types perceived by the
formats layer, as for an XYZ file), and Atoms of any coordinates."""

import dataclasses

import ase

from . import checks
from .files import read_text


def xyz_text(atoms):
    """The atoms as an XYZ file; ValueError for positions that are not finite numbers."""
    positions = checks.coordinates(atoms.positions)
    lines = [str(len(atoms)), ""]
    lines += [f"{s} {x!r} {y!r} {z!r}" for s, (x, y, z) in zip(atoms.get_chemical_symbols(), positions.tolist())]
    return "\n".join(lines) + "\n"


def from_atoms(atoms, name="atoms"):
    """The molecule of an ASE Atoms object, as ffprep would prepare it from an XYZ file."""
    (molecule,) = read_text(xyz_text(atoms), "xyz")
    return dataclasses.replace(molecule, name=name)


def to_atoms(elements, coordinates):
    """An ASE Atoms object of the elements and coordinates (Angstrom)."""
    coordinates = checks.coordinates(coordinates)
    symbols = checks.elements(elements, len(coordinates))
    return ase.Atoms(symbols=[e.strip() for e in symbols], positions=coordinates)
