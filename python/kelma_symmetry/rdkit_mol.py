"""RDKit molecules in: one conformer, with its bonds and hydrogens, taken through the formats
layer as an SDF file."""

import dataclasses

from rdkit import Chem

from . import checks
from .files import read_text


def from_mol(mol, conf_id=-1, name=None):
    """The molecule of an RDKit Mol with a conformer (the default one unless conf_id)."""
    if mol.GetNumConformers() == 0:
        raise ValueError("the RDKit molecule has no conformer (embed it first)")
    checks.coordinates(mol.GetConformer(conf_id).GetPositions())
    name = name or (mol.GetProp("_Name") if mol.HasProp("_Name") else "") or "mol"
    block = Chem.MolToMolBlock(mol, confId=conf_id, kekulize=True)
    (molecule,) = read_text(block + "$$$$\n", "sdf")
    return dataclasses.replace(molecule, name=name)
