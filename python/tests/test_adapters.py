"""Molecules from files, SMILES, ASE and RDKit: typed as ffprep types them, and back to ASE."""

import subprocess

import numpy as np
import pytest

import kelma_symmetry as ks
from kelma_symmetry import files
from support import PROGRAMS, ROOT, fixed

EXAMPLES = ROOT / "examples"


@pytest.fixture(scope="module")
def prepared(tmp_path_factory):
    """ffprep's keyword inputs of the bundled molecules, by name."""
    folder = tmp_path_factory.mktemp("prep")
    ffprep = PROGRAMS["kelma"].parent / "ffprep"
    subprocess.run([ffprep, "-o", folder, EXAMPLES / "molecules.mol2"], check=True, capture_output=True)
    return {path.stem: ks.read_kelma_input(path) for path in folder.glob("*.in")}


def test_file_molecules_are_typed_and_bonded_as_by_ffprep(prepared):
    molecules = files.read_file(EXAMPLES / "molecules.mol2")
    assert len(molecules) == len(prepared) == 12
    for molecule in molecules:
        given = prepared[molecule.name.replace(" ", "_")]
        assert molecule.types.tolist() == given.types.tolist()
        assert sorted(map(tuple, np.sort(molecule.bonds[:, :2], axis=1).tolist())) == sorted(
            map(tuple, given.bonds[:, :2].tolist())
        )
        assert [fixed(atom, 16, 10) for atom in molecule.coordinates] == [fixed(atom, 16, 10) for atom in given.coordinates]


def test_rdkit_molecules_match_the_same_sdf_read_as_a_file():
    from rdkit import Chem

    from kelma_symmetry.rdkit_mol import from_mol

    by_file = files.read_file(EXAMPLES / "molecules.sdf")
    by_rdkit = [from_mol(mol) for mol in Chem.SDMolSupplier(str(EXAMPLES / "molecules.sdf"), removeHs=False)]
    for a, b in zip(by_file, by_rdkit, strict=True):
        assert a.name == b.name and a.types.tolist() == b.types.tolist()
        assert a.bonds.tolist() == b.bonds.tolist()
        np.testing.assert_allclose(a.coordinates, b.coordinates, atol=1e-4)
    with pytest.raises(ValueError, match="no conformer"):
        from_mol(Chem.MolFromSmiles("CCO"))


def test_ase_round_trip_keeps_the_molecule_and_its_point_group():
    from ase.build import molecule

    from kelma_symmetry.ase_atoms import from_atoms, to_atoms

    benzene = from_atoms(molecule("C6H6"), name="benzene")
    assert benzene.types.tolist() == [3] * 6 + [13] * 6 and set(benzene.bonds[:, 2]) == {1, 5}
    group = benzene.point_group(thrsym=0.01)
    assert group.name == "D6h" and group.order == 24
    back = to_atoms(benzene.elements, group.coordinates)
    again = from_atoms(back)
    assert again.elements == benzene.elements
    np.testing.assert_array_equal(again.coordinates, group.coordinates)
    np.testing.assert_allclose((benzene.coordinates - group.centroid) @ group.rotation.T, group.coordinates, atol=1e-6)
    kinds = [(element.kind, element.order) for element in group.elements]
    assert kinds.count(("rotation axis", 6)) == 1 and kinds.count(("rotation axis", 2)) == 6
    assert kinds.count(("mirror plane", 0)) == 7 and ("inversion centre", 0) in kinds
    six_fold = next(e.direction for e in group.elements if e.kind == "rotation axis" and e.order == 6)
    assert abs(abs(six_fold[2]) - 1.0) < 1e-12  # the principal axis is z in the standard frame


def test_smiles_are_built_in_3d_and_optimise():
    ethanol = files.from_smiles("CCO", "ethanol")
    assert len(ethanol.elements) == 9 and {"hydrogens added", "3D built"} <= set(ethanol.tags)
    assert ethanol.optimise().converged
    with pytest.raises(ValueError):
        files.from_smiles("C1CC(", "broken")
    with pytest.raises(ValueError):
        files.read_file(EXAMPLES / "water.unknownformat")


def test_smiles_give_ffprep_start_on_every_call(tmp_path):
    """The same SMILES and seed give the same coordinates on every call, those ffprep writes (to
    the ten decimals of its atom lines); another seed gives another start."""
    smiles = "N[C@@H](Cc1ccccc1)C(=O)O"
    first = files.from_smiles(smiles, "phenylalanine")
    np.testing.assert_array_equal(first.coordinates, files.from_smiles(smiles, "phenylalanine").coordinates)
    assert not np.array_equal(first.coordinates, files.from_smiles(smiles, build_seed=7).coordinates)
    ffprep = PROGRAMS["kelma"].parent / "ffprep"
    subprocess.run([ffprep, "-o", tmp_path, "--smiles", smiles, "--name", "phe"], check=True, capture_output=True)
    written = ks.read_kelma_input(tmp_path / "phe.in")
    np.testing.assert_allclose(written.coordinates, first.coordinates, rtol=0, atol=5.1e-11)
