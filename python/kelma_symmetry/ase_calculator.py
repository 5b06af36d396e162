"""kelma's Tripos 5.2 force field as an ASE calculator: the energy (eV) and forces (eV/Angstrom)
from kelma's own energy and gradient routines, for ASE's optimisers, molecular dynamics and
vibrational analysis. The types and bonds are those of a prepared molecule, and the force field
is set up once from that molecule's geometry, as kelma sets it up at its first cycle."""

from ase import units
from ase.calculators.calculator import Calculator, all_changes

from . import _core, checks, defaults
from .ase_atoms import to_atoms
from .errors import raise_stop
from .optimiser import HARTREE_PER_KCAL

# kcal/mol to eV through kelma's hartree, so that the energy is kelma's energy in hartree times
# ASE's hartree.
EV_PER_KCAL = HARTREE_PER_KCAL * units.Hartree


class Tripos52(Calculator):
    """The force field of one molecule (a ``files.Molecule``): Atoms it calculates must hold the
    molecule's atoms in its order. Raises NumberedReport when the set-up stops."""

    implemented_properties = ["energy", "forces"]

    def __init__(self, molecule, vdwc=defaults.VDWC, **kwargs):
        super().__init__(**kwargs)
        molecule = molecule.runnable()
        coordinates = checks.atom_coordinates(molecule.coordinates)
        natoms = len(coordinates)
        self.force_field, set_up = _core.force_field(
            coordinates,
            checks.types(molecule.types, natoms),
            checks.bonds(molecule.bonds, natoms),
            checks.positive("$vdwc", vdwc),
        )
        raise_stop(set_up)
        self.symbols = [element.strip() for element in molecule.elements]

    def calculate(self, atoms=None, properties=("energy",), system_changes=all_changes):
        super().calculate(atoms, properties, system_changes)
        if self.atoms.get_chemical_symbols() != self.symbols:
            raise ValueError("the Atoms are not the molecule's atoms in its order")
        energy, gradient = self.force_field.energy_gradient(
            checks.coordinates(self.atoms.positions)
        )
        self.results = {"energy": energy * EV_PER_KCAL, "forces": -gradient * EV_PER_KCAL}


def atoms(molecule, vdwc=defaults.VDWC):
    """ASE Atoms of the molecule at its geometry, with its Tripos52 calculator."""
    found = to_atoms(molecule.elements, molecule.coordinates)
    found.calc = Tripos52(molecule, vdwc)
    return found
