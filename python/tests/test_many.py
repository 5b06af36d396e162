"""Many molecules at once: input order kept, errors and time-outs kept per molecule, the numbers
of the single calls, whatever the molecules come as."""

import dataclasses

import numpy as np
import pytest

import kelma_symmetry as ks
from kelma_symmetry import files
from support import CASES, ROOT

SDF = ROOT / "examples/molecules.sdf"


def records(count):
    """The first count records of the bundled SDF."""
    return "$$$$\n".join(SDF.read_text().split("$$$$\n")[:count]) + "$$$$\n"


@pytest.fixture
def damaged_sdf(tmp_path):
    """Three molecules, the second claiming more atoms than it has."""
    first, second, third = records(3).split("$$$$\n")[:3]
    second = second.replace(" 10  9  0", " 99  9  0", 1)
    path = tmp_path / "three.sdf"
    path.write_text("$$$$\n".join([first, second, third]) + "$$$$\n")
    return path


def test_a_damaged_molecule_is_an_error_in_its_place_and_the_others_give_the_single_calls_numbers(
    damaged_sdf,
):
    results = ks.optimise_many(damaged_sdf, workers=2, progress=False)
    assert [(r.name, r.outcome) for r in results] == [
        ("ethanol", "converged"),
        ("acetone", "skipped"),
        ("acetonitrile", "converged"),
    ]
    assert results.errors == [results[1]] and "atom" in results[1].error
    by_file = files.read_file(damaged_sdf)
    for result in (results[0], results[2]):
        (molecule,) = [m for m in by_file if m.name == result.name]
        alone = molecule.optimise(records=False)
        np.testing.assert_array_equal(result.optimisation.coordinates, alone.coordinates)
        np.testing.assert_array_equal(result.optimisation.energies, alone.energies)
        group = ks.point_group(alone.coordinates, molecule.elements, records=False)
        for part in ("coordinates", "operations", "equivalent_atoms", "rotation"):
            np.testing.assert_array_equal(getattr(result.point_group, part), getattr(group, part))
        assert (result.point_group.name, result.point_group.elements.__repr__()) == (
            group.name,
            group.elements.__repr__(),
        )
    table = results.to_dataframe()
    assert list(table.columns) == list(ks.many.COLUMNS) and len(table) == 3
    assert table["outcome"].tolist() == ["converged", "skipped", "converged"]
    assert table["point_group"].tolist()[::2] == ["Cs", "C3v"] and table["atoms"].tolist()[::2] == [
        9,
        6,
    ]
    groups = ks.point_group_many(damaged_sdf, workers=1, progress=False)
    assert [r.outcome for r in groups] == ["point group", "skipped", "point group"]
    assert groups[0].optimisation is None and groups[0].point_group.name == "Cs"


def test_any_iterable_of_molecules_files_mols_and_atoms_runs_in_order():
    import ase.build
    from rdkit import Chem

    ethanol = files.read_file(SDF)[0]
    mol = next(iter(Chem.SDMolSupplier(str(SDF), removeHs=False)))
    broken = dataclasses.replace(ethanol, name="broken", types=np.full(9, 40))
    inputs = (item for item in [ethanol, ase.build.molecule("C6H6"), None, mol, broken, str(SDF)])
    results = ks.optimise_many(inputs, workers=2, progress=False)
    assert [(r.name, r.outcome) for r in results[:5]] == [
        ("ethanol", "converged"),
        ("atoms", "converged"),
        ("-", "skipped"),
        ("ethanol", "converged"),
        ("broken", "input error"),
    ]
    assert results[4].error == "atom 1: force-field type 40 is above 32"
    assert len(results) == 5 + 12 and results[1].point_group.name == "D6h"
    assert results[0].source is ethanol and results[3].source is mol
    np.testing.assert_array_equal(
        results[0].optimisation.coordinates, results[3].optimisation.coordinates
    )


def grid_molecule(name, shape, spacing):
    """Unbonded hydrogens on a grid."""
    points = np.stack(
        np.meshgrid(*(np.arange(n) * spacing for n in shape), indexing="ij"), -1
    ).reshape(-1, 3)
    return files.Molecule(
        name,
        ["H"] * len(points),
        np.full(len(points), 13),
        points.astype(float),
        np.zeros((0, 3), int),
    )


def test_a_molecule_past_the_time_limit_costs_only_itself():
    # 490 atoms from the Hessian: 2,940 gradients, a 1,470 x 1,470 inverse and 920 cycles, some
    # 18 s of work on the machine where this was written.
    slow = grid_molecule("slow", (7, 7, 10), 2.5)
    quick = grid_molecule("quick", (2, 1, 1), 2.5)
    results = ks.optimise_many(
        [quick, slow, quick], workers=2, timeout=1, jobtype=1, progress=False
    )
    assert [r.outcome for r in results] == ["converged", "timeout", "converged"]
    assert results[1].error == "its worker took longer than 1 s" and results[1].molecule is slow


def keyword_molecule(name, case):
    given = ks.read_kelma_input(CASES / case / "input")
    return files.Molecule(
        name, ["C"] * len(given.types), given.types, given.coordinates, given.bonds
    )


def test_the_programs_stops_and_refusals_are_outcomes_of_their_molecule():
    ethane = keyword_molecule("ethane", "kelma_ethane")
    crowded = keyword_molecule("crowded", "kelma_workspace_beyond_capacity")
    coincident = dataclasses.replace(ethane, name="coincident", coordinates=np.zeros((8, 3)))
    results = ks.optimise_many([ethane, crowded, coincident], nsteps=3, workers=2, progress=False)
    assert [r.outcome for r in results] == ["cycle limit", "numbered report", "input error"]
    limited = results[0]
    assert (
        limited.optimisation.cycles == 3
        and not limited.optimisation.converged
        and limited.point_group is None
    )
    assert limited.detail == "not symmetrised: the cycle limit stopped the run at cycle 3"
    assert results[1].error == "too little workspace for the molecule (STOP 9)"
    assert results[2].error == "atoms 1 and 2 are at the same position"
    (loose,) = ks.point_group_many([ethane], thrsym=10.0, progress=False)
    assert loose.outcome == "input error" and loose.error.startswith("$thrsym 10 must be below")


def test_without_tqdm_a_plain_counter_counts_the_records_of_a_file(
    damaged_sdf, monkeypatch, capsys
):
    monkeypatch.setitem(__import__("sys").modules, "tqdm", None)  # import tqdm now fails
    ks.optimise_many(damaged_sdf, workers=1)
    assert capsys.readouterr().err.rstrip("\n").split("\r")[-1] == "3 of 3 molecules"


def test_smiles_streamed_to_the_workers_are_built_as_from_smiles_builds_them(tmp_path):
    path = tmp_path / "two.smi"
    path.write_text("CC(=O)Nc1ccc(O)cc1 para\nN[C@@H](C)C(=O)O ala\n")
    for seed in (42, 7):
        results = ks.optimise_many(
            files.stream(path, build_seed=seed), point_group=False, workers=2, progress=False
        )
        for result, smiles in zip(results, ("CC(=O)Nc1ccc(O)cc1", "N[C@@H](C)C(=O)O")):
            alone = files.from_smiles(smiles, result.name, build_seed=seed)
            np.testing.assert_array_equal(result.molecule.coordinates, alone.coordinates)
