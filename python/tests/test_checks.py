"""Molecules from files whatever their bytes."""

import pytest

from kelma_symmetry import files

SDF_TITLE_LATIN1 = b"""caf\xe9
  handmade

  2  1  0  0  0  0  0  0  0  0999 V2000
    0.0000    0.0000    0.0000 H   0  0  0  0  0  0  0  0  0  0  0  0
    0.7400    0.0000    0.0000 H   0  0  0  0  0  0  0  0  0  0  0  0
  1  2  1  0  0  0  0
M  END
$$$$
"""


@pytest.mark.parametrize(
    "suffix,content,name",
    [
        (".xyz", b"2\ncaf\xe9\nH 0 0 0\nH 0.74 0 0\n", "caf\ufffd"),
        (".sdf", SDF_TITLE_LATIN1, "caf\ufffd"),
    ],
)
def test_a_file_molecule_reads_any_title(suffix, content, name, tmp_path):
    path = tmp_path / f"molecule{suffix}"
    path.write_bytes(content)
    (molecule,) = files.read_file(path)
    assert molecule.name == name and not molecule.error
    assert name in molecule.mol2 and molecule.optimise().converged
