"""Molecules from files, SMILES, ASE and RDKit: typed as ffprep types them, and back to ASE."""

import dataclasses
import subprocess

import numpy as np
import pytest

import kelma_symmetry as ks
from kelma_symmetry import defaults, files
from support import PROGRAMS, ROOT, fixed

EXAMPLES = ROOT / "examples"


@pytest.fixture(scope="module")
def prepared(tmp_path_factory):
    """ffprep's keyword inputs of the bundled molecules, by name."""
    folder = tmp_path_factory.mktemp("prep")
    ffprep = PROGRAMS["kelma"].parent / "ffprep"
    subprocess.run(
        [ffprep, "-o", folder, EXAMPLES / "molecules.mol2"], check=True, capture_output=True
    )
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
        assert [fixed(atom, 16, 10) for atom in molecule.coordinates] == [
            fixed(atom, 16, 10) for atom in given.coordinates
        ]


def test_the_defaults_are_the_tools(prepared):
    for given in prepared.values():
        expected = dict(
            jobtype=defaults.JOBTYPE,
            gtol=defaults.GTOL,
            etol=defaults.ETOL,
            vdwc=defaults.VDWC,
            print_level=defaults.PRINT_LEVEL,
        )
        expected["nsteps"] = defaults.cycle_limit("auto", len(given.coordinates))
        assert given.settings == expected
    assert [defaults.cycle_limit("auto", n) for n in (1, 20, 21, 199, 200, 500)] == [
        1000,
        1000,
        1050,
        9950,
        9998,
        9998,
    ]


def test_rdkit_molecules_and_streamed_records_match_the_same_sdf_read_as_a_file():
    from rdkit import Chem

    from kelma_symmetry.rdkit_mol import from_mol

    by_file = files.read_file(EXAMPLES / "molecules.sdf")
    by_rdkit = [
        from_mol(mol) for mol in Chem.SDMolSupplier(str(EXAMPLES / "molecules.sdf"), removeHs=False)
    ]
    by_record = list(files.stream(EXAMPLES / "molecules.sdf"))
    for a, b, c in zip(by_file, by_rdkit, by_record, strict=True):
        assert (
            a.name == b.name == c.name and a.types.tolist() == b.types.tolist() == c.types.tolist()
        )
        assert a.bonds.tolist() == b.bonds.tolist() == c.bonds.tolist() and a.mol2 == c.mol2
        np.testing.assert_allclose(a.coordinates, b.coordinates, atol=1e-4)
        np.testing.assert_array_equal(a.coordinates, c.coordinates)
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
    np.testing.assert_allclose(
        (benzene.coordinates - group.centroid) @ group.rotation.T, group.coordinates, atol=1e-6
    )
    kinds = [(element.kind, element.order) for element in group.elements]
    assert kinds.count(("rotation axis", 6)) == 1 and kinds.count(("rotation axis", 2)) == 6
    assert kinds.count(("mirror plane", 0)) == 7 and ("inversion centre", 0) in kinds
    six_fold = next(
        e.direction for e in group.elements if e.kind == "rotation axis" and e.order == 6
    )
    assert abs(abs(six_fold[2]) - 1.0) < 1e-12  # the principal axis is z in the standard frame


def test_smiles_are_built_in_3d_and_optimise():
    ethanol = files.from_smiles("CCO", "ethanol")
    assert len(ethanol.elements) == 9 and {"hydrogens added", "3D built"} <= set(ethanol.tags)
    assert ethanol.optimise().converged
    with pytest.raises(ValueError):
        files.from_smiles("C1CC(", "broken")
    with pytest.raises(ValueError):
        files.read_file(EXAMPLES / "water.unknownformat")


def test_rdkit_conformers_get_their_own_results_in_atom_order_and_keep_the_mols_properties():
    from rdkit import Chem
    from rdkit.Chem import AllChem

    from kelma_symmetry import rdkit_mol

    mol = Chem.AddHs(Chem.MolFromSmiles("OCC(=O)N"))
    conformers = list(AllChem.EmbedMultipleConfs(mol, 3, randomSeed=11))
    mol.SetProp("_Name", "glycolamide")
    mol.SetProp("source", "kept")
    start = mol.GetConformer(conformers[1]).GetPositions()
    done = rdkit_mol.optimise(mol)
    np.testing.assert_array_equal(mol.GetConformer(conformers[1]).GetPositions(), start)  # a copy
    for conf_id in conformers:
        molecule = rdkit_mol.from_mol(mol, conf_id)
        assert molecule.elements == [atom.GetSymbol() for atom in mol.GetAtoms()]
        alone = molecule.optimise(records=False)
        np.testing.assert_array_equal(done.GetConformer(conf_id).GetPositions(), alone.coordinates)
        figures = done.GetConformer(conf_id).GetPropsAsDict()
        assert figures["energy_hartree"] == alone.energy and figures["converged"] == "yes"
        assert figures["cycles"] == alone.cycles and figures["point_group"] == "c1"
    assert done.GetProp("source") == "kept" and done.GetProp("_Name") == "glycolamide"
    assert rdkit_mol.optimise(mol, in_place=True) is mol
    untitled = Chem.Mol(mol)
    untitled.ClearProp("_Name")
    assert rdkit_mol.from_mol(untitled).name == "mol" and rdkit_mol.from_mol(untitled).error == ""


def test_rdkit_molecules_streamed_through_a_batch_come_back_as_mols_for_sdwriter(tmp_path):
    from rdkit import Chem

    from kelma_symmetry import rdkit_mol

    supplier = Chem.SDMolSupplier(str(EXAMPLES / "molecules.sdf"), removeHs=False)
    results = ks.optimise_many(supplier, workers=2, progress=False)
    path = tmp_path / "optimised.sdf"
    with Chem.SDWriter(str(path)) as writer:
        for result in results:
            writer.write(rdkit_mol.result_mol(result))
    back = list(Chem.SDMolSupplier(str(path), removeHs=False))
    assert [mol.GetProp("_Name") for mol in back] == [result.name for result in results]
    for mol, result in zip(back, results):
        assert float(mol.GetProp("energy_hartree")) == pytest.approx(
            result.optimisation.energy, rel=1e-12
        )
        assert mol.GetProp("point_group") == result.point_group.label
        np.testing.assert_allclose(
            mol.GetConformer().GetPositions(), result.optimisation.coordinates, atol=1e-4
        )


def test_the_ase_calculator_gives_kelmas_energy_forces_and_minimum():
    from ase.build import molecule
    from ase.optimize import BFGS
    from ase.units import Hartree

    from kelma_symmetry import ase_calculator
    from kelma_symmetry.ase_atoms import from_atoms

    ethane = from_atoms(molecule("C2H6"), name="ethane")
    shift = np.random.default_rng(7).uniform(-0.15, 0.15, ethane.coordinates.shape)
    distorted = dataclasses.replace(ethane, coordinates=ethane.coordinates + shift)
    atoms = ase_calculator.atoms(distorted)
    kelma = distorted.optimise(gtol=1e-6, records=False)
    assert atoms.get_potential_energy() == pytest.approx(kelma.energies[0] * Hartree, rel=1e-9)
    forces = atoms.get_forces()
    step = 1e-4
    for atom, axis in np.ndindex(forces.shape):
        energies = []
        for sign in (1, -1):
            moved = atoms.copy()
            moved.calc = atoms.calc
            moved.positions[atom, axis] += sign * step
            energies.append(moved.get_potential_energy())
        assert abs(forces[atom, axis] + (energies[0] - energies[1]) / (2 * step)) < 1e-5
    BFGS(atoms, logfile=None).run(fmax=1e-4)
    assert np.abs(atoms.positions - kelma.coordinates).max() < 1e-3


def test_smiles_give_ffprep_start_on_every_call(tmp_path):
    """The same SMILES and seed give the same coordinates on every call, those ffprep writes (to
    the ten decimals of its atom lines); another seed gives another start."""
    smiles = "N[C@@H](Cc1ccccc1)C(=O)O"
    first = files.from_smiles(smiles, "phenylalanine")
    np.testing.assert_array_equal(
        first.coordinates, files.from_smiles(smiles, "phenylalanine").coordinates
    )
    assert not np.array_equal(
        first.coordinates, files.from_smiles(smiles, build_seed=7).coordinates
    )
    ffprep = PROGRAMS["kelma"].parent / "ffprep"
    subprocess.run(
        [ffprep, "-o", tmp_path, "--smiles", smiles, "--name", "phe"],
        check=True,
        capture_output=True,
    )
    written = ks.read_kelma_input(tmp_path / "phe.in")
    np.testing.assert_allclose(written.coordinates, first.coordinates, rtol=0, atol=5.1e-11)
