#!/usr/bin/env python3
"""The catalogue of damaged chemistry files.

For every format (SDF, MOL2, PDB, XYZ, SMILES) and every kind of damage, a file of five good
molecules whose third is damaged, written to OUT_DIR as FORMAT_DAMAGE.EXT, and OUT_DIR/expected.tsv
with one row a file: the file name, the damaged molecule's number, the molecules in the file and
a text its refusal must hold. The good
molecules are the first five of the bundled examples; the damage is drawn with a fixed seed, so
every run writes the same files.

Also the oversized inputs, each a molecule between two good ones (molecule 2 of 3): a SMILES of
100,000 atoms, a PDB line of 32,768 characters and inputs of 10,000 atoms.

Usage: damaged_files.py EXAMPLES_DIR OUT_DIR
"""

import random
import sys
from pathlib import Path

SEED = 1
MEGABYTE = 1 << 20
BINARY = bytes([0, 1, 2, 0x7F, 0xFF, 0xFE, 0x80, 0x1B])
SMILES = [
    "CCO ethanol",
    "CC(C)=O acetone",
    "CC(=O)Nc1ccc(O)cc1 paracetamol",
    "c1ccccc1 benzene",
    "CC(=O)O acetic_acid",
]


def split_records(text, fmt):
    """The records of a bundled example file, each as a list of lines."""
    lines = text.splitlines()
    records, current = [], []
    for line in lines:
        if fmt == "mol2" and line.startswith("@<TRIPOS>MOLECULE") and current:
            records.append(current)
            current = []
        if fmt == "xyz" and current and len(line.split()) == 1 and line.strip().isdigit():
            records.append(current)
            current = []
        current.append(line)
        if (fmt == "sdf" and line == "$$$$") or (fmt == "pdb" and line.startswith("END")):
            records.append(current)
            current = []
    if current:
        records.append(current)
    # Comments before a MOL2 file's first molecule are no record.
    return [r for r in records if not all(line.startswith("#") or not line.strip() for line in r)]


def sdf_counts(record):
    return int(record[3][0:3]), int(record[3][3:6])


def sdf_damage(record, kind, rng):
    atoms, bonds = sdf_counts(record)
    first_atom, first_bond = 4, 4 + atoms
    r = list(record)
    if kind == "truncated":
        return r[: first_atom + 2] + ["$$$$"], "truncated"
    if kind == "count_lying":
        r[3] = f"{atoms + 1:3d}" + r[3][3:]
        return r, "atom"
    if kind == "zero_atoms":
        return r[:3] + ["  0  0" + r[3][6:]] + r[first_bond + bonds :], "0 atoms"
    if kind == "megabyte_line":
        r[0] = "A" * MEGABYTE
        return r, "longer than"
    if kind == "binary_bytes":
        at = rng.randrange(5, 30)
        line = r[first_atom + 1]
        r[first_atom + 1] = line[:at] + BINARY.decode("latin-1") + line[at:]
        return r, "control byte"
    if kind == "tab_inside":
        line = r[first_atom]
        r[first_atom] = line[:10] + "\t" + line[11:]
        return r, "TAB"
    if kind == "unknown_element":
        line = r[first_atom]
        r[first_atom] = line[:31] + "Xx " + line[34:]
        return r, "unknown element 'Xx'"
    if kind == "bond_to_999":
        line = r[first_bond]
        r[first_bond] = line[:3] + "999" + line[6:]
        return r, "atom 999 does not exist"
    raise ValueError(kind)


def mol2_sections(record):
    marks = {line: k for k, line in enumerate(record) if line.startswith("@<TRIPOS>")}
    return marks["@<TRIPOS>ATOM"], marks["@<TRIPOS>BOND"]


def mol2_damage(record, kind, rng):
    atom_mark, bond_mark = mol2_sections(record)
    r = list(record)
    counts = r[2].split()
    first_atom = atom_mark + 1
    if kind == "truncated":
        return r[: first_atom + 2], "atoms"
    if kind == "count_lying":
        r[2] = " ".join([str(int(counts[0]) + 1)] + counts[1:])
        return r, "atoms"
    if kind == "zero_atoms":
        r[2] = " ".join(["0", "0"] + counts[2:])
        return r[: first_atom] + ["@<TRIPOS>BOND"], "0 atoms"
    if kind == "megabyte_line":
        r[1] = "A" * MEGABYTE
        return r, "longer than"
    if kind == "binary_bytes":
        line = r[first_atom + 1]
        at = rng.randrange(1, len(line))
        r[first_atom + 1] = line[:at] + BINARY.decode("latin-1") + line[at:]
        return r, "control byte"
    if kind == "tab_inside":
        r[first_atom] = r[first_atom].replace(".", "\t", 1)
        return r, "atom 1"
    if kind == "unknown_element":
        words = r[first_atom].split()
        words[5] = "Xx"
        r[first_atom] = " ".join(words)
        return r, "names no element"
    if kind == "bond_to_999":
        words = r[bond_mark + 1].split()
        words[2] = "999"
        r[bond_mark + 1] = " ".join(words)
        return r, "atom 999 does not exist"
    raise ValueError(kind)


def pdb_damage(record, kind, rng):
    r = list(record)
    atoms = [k for k, line in enumerate(r) if line.startswith(("ATOM", "HETATM"))]
    conect = [k for k, line in enumerate(r) if line.startswith("CONECT")]
    if kind == "truncated":  # nothing counts the atoms of a cut model: its chemistry is wrong
        return r[: atoms[1] + 1] + ["ENDMDL"], "hydrogens missing"
    if kind == "count_lying":
        master = next(k for k, line in enumerate(r) if line.startswith("MASTER"))
        n = int(r[master][50:55])
        r[master] = r[master][:50] + f"{n + 1:5d}" + r[master][55:]
        return r, "MASTER"
    if kind == "zero_atoms":
        return [line for k, line in enumerate(r) if k not in atoms and k not in conect], "no ATOM"
    if kind == "megabyte_line":
        return r[:1] + ["REMARK " + "A" * MEGABYTE] + r[1:], "longer than"
    if kind == "binary_bytes":
        line = r[atoms[1]]
        at = rng.randrange(0, 60)
        r[atoms[1]] = line[:at] + BINARY.decode("latin-1") + line[at:]
        return r, "control byte"
    if kind == "tab_inside":
        line = r[atoms[0]]
        r[atoms[0]] = line[:29] + "\t" + line[30:]
        return r, "TAB"
    if kind == "unknown_element":
        line = r[atoms[0]]
        r[atoms[0]] = line[:76] + "Xx" + line[78:]
        return r, "unknown element 'Xx'"
    if kind == "bond_to_999":
        r[conect[0]] = "CONECT    1  999"
        return r, "atom 999"
    raise ValueError(kind)


def xyz_damage(record, kind, rng):
    r = list(record)
    n = int(r[0])
    if kind == "truncated":
        return r[:4], "the block has 2"
    if kind == "count_lying":
        r[0] = str(n + 1)
        return r, f"the count says {n + 1} atoms"
    if kind == "zero_atoms":
        return ["0", r[1]], "0 atoms"
    if kind == "megabyte_line":
        r[1] = "A" * MEGABYTE
        return r, "longer than"
    if kind == "binary_bytes":
        at = rng.randrange(0, len(r[3]))
        r[3] = r[3][:at] + BINARY.decode("latin-1") + r[3][at:]
        return r, "control byte"
    if kind == "tab_inside":
        r[2] = r[2].replace(".", "\t", 1)
        return r, "fields"
    if kind == "unknown_element":
        r[2] = "Xx" + r[2][r[2].index(" ") :]
        return r, "unknown element 'Xx'"
    if kind == "bond_to_999":
        return None  # XYZ has no bonds
    raise ValueError(kind)


def smiles_damage(record, kind, rng):
    smiles, name = record[0].split()
    edits = {
        "truncated": (smiles[: len(smiles) // 2], "not closed"),
        "count_lying": (smiles.replace("1", "2", 1), "not closed"),  # a ring bond to nowhere
        "zero_atoms": ("()", "0 atoms"),
        "megabyte_line": ("C" * MEGABYTE, "longer than"),
        "binary_bytes": (smiles[:3] + BINARY.decode("latin-1") + smiles[3:], "control byte"),
        "tab_inside": (smiles.replace("(", "(\t", 1), "parentheses"),
        "unknown_element": ("[Xx]" + smiles, "unknown element 'Xx'"),
        "bond_to_999": (smiles + "%99", "ring bond 99 is not closed"),
    }
    text, expected = edits[kind]
    return [f"{text} {name}"], expected


FORMATS = {
    "sdf": ("molecules.sdf", sdf_damage),
    "mol2": ("molecules.mol2", mol2_damage),
    "pdb": ("molecules.pdb", pdb_damage),
    "xyz": ("molecules.xyz", xyz_damage),
    "smi": (None, smiles_damage),
}
KINDS = [
    "truncated",
    "count_lying",
    "zero_atoms",
    "megabyte_line",
    "binary_bytes",
    "tab_inside",
    "unknown_element",
    "bond_to_999",
]


def write_lines(path, lines):
    path.write_bytes(("\n".join(lines) + "\n").encode("latin-1"))


def pdb_atom(serial, name, element, x, y, z):
    place = f"{x:8.3f}{y:8.3f}{z:8.3f}"
    return f"HETATM{serial:5d} {name:<4} MOL A   1    {place}  1.00  0.00          {element:>2}  "


def lattice(n):
    """n carbon positions 1.5 A apart, 20 x 20 a layer."""
    return [(k % 20 * 1.5, k // 20 % 20 * 1.5, k // 400 * 1.5) for k in range(n)]


WATER_PDB = [
    "COMPND    water",
    pdb_atom(1, "O", "O", 0.0, 0.0, 0.0),
    pdb_atom(2, "H1", "H", 0.957, 0.0, 0.0),
    pdb_atom(3, "H2", "H", -0.24, 0.927, 0.0),
    "CONECT    1    2    3",
    "END",
]
WATER_XYZ = ["3", "water", "O 0 0 0", "H 0.957 0 0", "H -0.24 0.927 0"]


def oversized(out):
    """Molecule 2 of 3 too large for the programs or the readers; the other two are good."""
    smiles = ["CCO ethanol", "C" * 100000 + " huge", "CC(=O)O acetic_acid"]
    write_lines(out / "huge_smiles.smi", smiles)
    write_lines(out / "many_carbons.smi", [smiles[0], "C" * 3333 + " chain", smiles[2]])
    big = [pdb_atom(k + 1, "C", "C", *xyz) for k, xyz in enumerate(lattice(10000))]
    write_lines(
        out / "many_atoms.pdb", WATER_PDB + ["COMPND    lattice"] + big + ["END"] + WATER_PDB
    )
    long_line = ["COMPND    long", "REMARK " + "A" * 32761, pdb_atom(1, "C", "C", 0, 0, 0), "END"]
    write_lines(out / "long_line.pdb", WATER_PDB + long_line + WATER_PDB)
    big_xyz = ["10000", "lattice"] + [
        "C {:.3f} {:.3f} {:.3f}".format(*xyz) for xyz in lattice(10000)
    ]
    write_lines(out / "many_atoms.xyz", WATER_XYZ + big_xyz + WATER_XYZ)
    return [
        ("huge_smiles.smi", "longer than"),
        ("many_carbons.smi", "3333 atoms"),
        ("many_atoms.pdb", "10000 atoms"),
        ("long_line.pdb", "longer than"),
        ("many_atoms.xyz", "10000 atoms"),
    ]


def main():
    examples, out = Path(sys.argv[1]), Path(sys.argv[2])
    out.mkdir(parents=True, exist_ok=True)
    rng = random.Random(SEED)
    rows = []
    for fmt, (example, damage) in FORMATS.items():
        if example is None:
            records = [[line] for line in SMILES]
        else:
            records = split_records((examples / example).read_text(), fmt)[:5]
        for kind in KINDS:
            edited = damage(records[2], kind, rng)
            if edited is None:
                continue
            lines, expected = edited
            name = f"{fmt}_{kind}.{fmt}"
            write_lines(out / name, [line for r in records[:2] for line in r] + lines +
                        [line for r in records[3:] for line in r])
            rows.append((name, expected))
    with open(out / "expected.tsv", "w") as table:
        for name, expected in rows:
            table.write(f"{name}\t3\t5\t{expected}\n")
        for name, expected in oversized(out):
            table.write(f"{name}\t2\t3\t{expected}\n")


if __name__ == "__main__":
    main()
