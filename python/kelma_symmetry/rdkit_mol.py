"""RDKit molecules both ways. In: a Mol's conformer, with its bonds and hydrogens, taken through
the formats layer as an SDF record (as a batch's workers read it). Out: the optimised coordinates
written into the conformer, and the figures as properties named as the data fields of ffbatch's
result molecules, so that results stay in RDKit's world (SDWriter, PandasTools, drawing)."""

import dataclasses

from rdkit import Chem

from . import _core, checks, defaults
from .files import molecule as file_molecule
from .optimiser import HARTREE_PER_KCAL, optimise as optimise_arrays
from .point_groups import point_group as find_point_group

# A Mol is read as a record of an SDF file of this name.
RECORD_FILE = "mol.sdf"
RECORD_FORMAT = "sdf"
FIELDS = _core.result_fields
DEGREES_FIELD = "degrees_of_freedom"


DEFAULT_NAME = "mol"


def mol_name(mol):
    """The Mol's name, or the name an untitled one is given."""
    name = mol.GetProp("_Name") if mol.HasProp("_Name") else ""
    return name if name.strip() else DEFAULT_NAME


def mol_block(mol, conf_id=-1):
    """The conformer as an SDF record titled with the Mol's name; ValueError for a Mol without
    a conformer or with coordinates that are not finite."""
    if mol.GetNumConformers() == 0:
        raise ValueError("the RDKit molecule has no conformer (embed it first)")
    checks.coordinates(mol.GetConformer(conf_id).GetPositions())
    # The record reader takes a blank line before a record for space between records, so an
    # untitled record would lose its title line.
    _, body = Chem.MolToMolBlock(mol, confId=conf_id, kekulize=True).split("\n", 1)
    return mol_name(mol).splitlines()[0] + "\n" + body + "$$$$\n"


def mol_request(mol, conf_id=-1):
    """(request, name) of the conformer for a batch's worker, which reads it as from_mol does."""
    ((request, _),) = _core.text_requests(
        mol_block(mol, conf_id), RECORD_FILE, RECORD_FORMAT, None, False
    )
    return request, mol_name(mol)


def from_mol(mol, conf_id=-1, name=None):
    """The molecule of an RDKit Mol with a conformer (the default one unless conf_id)."""
    request, title = mol_request(mol, conf_id)
    (fields,) = _core.read_request(request)
    return dataclasses.replace(file_molecule(fields), name=name or title)


def figures(optimisation, group=None):
    """The properties of a result, by the names of ffbatch's data fields."""
    values = {
        FIELDS["cycles"]: optimisation.cycles,
        FIELDS["converged"]: FIELDS["yes"] if optimisation.converged else FIELDS["no"],
    }
    if optimisation.energy is not None:
        values[FIELDS["energy"]] = optimisation.energy
        values[FIELDS["energy_kcal"]] = optimisation.energy / HARTREE_PER_KCAL
        values[FIELDS["rms_force"]] = float(optimisation.rms_forces[-1])
    if group is not None:
        values[FIELDS["point_group"]] = group.label
        values[DEGREES_FIELD] = group.degrees_of_freedom
    return values


def set_properties(holder, values):
    """Sets the values on a Mol or a Conformer, each with its type."""
    for key, value in values.items():
        if isinstance(value, str):
            holder.SetProp(key, value)
        elif isinstance(value, int):
            holder.SetIntProp(key, value)
        else:
            holder.SetDoubleProp(key, value)


def to_mol(mol, optimisation, group=None, conf_id=-1, in_place=False):
    """The Mol (a copy unless in_place) with the optimisation's coordinates in the conformer and
    its figures, and the group's label and degrees of freedom, as properties of the conformer
    and of the Mol. The atoms must be those of the Mol, in its order."""
    target = mol if in_place else Chem.Mol(mol)
    conformer = target.GetConformer(conf_id)
    coordinates = optimisation.coordinates
    if len(coordinates) != target.GetNumAtoms():
        raise ValueError(
            f"the result has {len(coordinates)} atoms, the RDKit molecule {target.GetNumAtoms()}"
        )
    for atom, xyz in enumerate(coordinates.tolist()):
        conformer.SetAtomPosition(atom, xyz)
    values = figures(optimisation, group)
    set_properties(conformer, values)
    set_properties(target, values)
    return target


def result_mol(result, in_place=False):
    """The Mol of a batch's result (a MoleculeResult whose source was a Mol) with its figures."""
    if result.optimisation is None:
        raise ValueError(
            f"{result.name}: no optimisation to write ({result.error or result.outcome})"
        )
    return to_mol(result.source, result.optimisation, result.point_group, in_place=in_place)


def optimise(mol, in_place=False, point_group=True, thrsym=defaults.THRSYM, **settings):
    """Optimises every conformer of the Mol one by one (keyword values as for optimise), writes
    each one's coordinates and figures into it (the point group of each converged one with
    ``point_group``) and returns the Mol, a copy unless in_place. The Mol's own properties are
    those of its last conformer."""
    target = mol if in_place else Chem.Mol(mol)
    for conformer in target.GetConformers():
        conf_id = conformer.GetId()
        molecule = from_mol(target, conf_id)
        done = optimise_arrays(
            molecule.coordinates, molecule.types, molecule.bonds, records=False, **settings
        )
        group = None
        if point_group and done.converged:
            group = find_point_group(
                done.coordinates, molecule.elements, thrsym=thrsym, records=False
            )
        to_mol(target, done, group, conf_id, in_place=True)
    return target
