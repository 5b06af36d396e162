"""Writes 500-atom inputs that make the point-group search work hardest: at a tolerance near half
the distance of the closest like atoms every atom falls into one shell, so every pair of atoms
proposes axes and every proposal is tested against the atoms. The molecules: a 5 x 10 x 10 block
of one element 1.5 A apart (D4h), the same block with two elements alternating (D2h), the first
500 atoms of an 8 x 8 x 8 cube (C1) and 500 points of one element spread over a sphere of radius
10 A (C2). Each is written at the fractions of the largest tolerance the input accepts given by
--fractions (default 1, 0.9, 0.5, 0.1; 1 stands for the largest value below the bound) and at
$thrsym 0.01.
Usage: python3 loose_lattices.py OUTPUT_DIR [--fractions F,F,...]"""
import math
import os
import sys

SPACING = 1.5
SPHERE_RADIUS = 10.0
ATOMS = 500
TIGHT_THRSYM = 0.01


def block(nx, ny, nz, element):
    return [((i * SPACING, j * SPACING, k * SPACING), element(i, j, k))
            for i in range(nx) for j in range(ny) for k in range(nz)][:ATOMS]


def sphere():
    """Fibonacci points: nearly even spacing, no two atoms at one distance from the centre."""
    golden = math.pi * (3.0 - math.sqrt(5.0))
    atoms = []
    for i in range(ATOMS):
        z = 1.0 - 2.0 * (i + 0.5) / ATOMS
        r = math.sqrt(1.0 - z * z)
        atoms.append(((SPHERE_RADIUS * r * math.cos(golden * i),
                       SPHERE_RADIUS * r * math.sin(golden * i), SPHERE_RADIUS * z), "C"))
    return atoms


def as_written(atoms):
    """The atoms as the input gives them: each coordinate rounded to its 10 decimals."""
    return [(tuple(float(f"{c:.10f}") for c in xyz), element) for xyz, element in atoms]


def bound(atoms):
    """Half the distance of the closest two atoms of one element, measured as the program
    measures it (the input refuses $thrsym at or above it)."""
    def distance(a, b):
        dx, dy, dz = (b[k] - a[k] for k in range(3))
        return math.sqrt(dx * dx + dy * dy + dz * dz)
    closest = min(distance(a[0], b[0]) for n, b in enumerate(atoms) for a in atoms[:n]
                  if a[1] == b[1] and a[0] != b[0])
    return 0.5 * closest


def write(path, title, atoms, thrsym):
    with open(path, "w") as f:
        f.write(f"# {title}\n$natoms {len(atoms)}\n$thrsym {thrsym!r}\n$print 0\n$coordinates\n")
        for (x, y, z), element in atoms:
            f.write(f"{x:16.10f}{y:16.10f}{z:16.10f}     {element:<2s}\n")


def main(argv):
    out = argv[0]
    fractions = [1.0, 0.9, 0.5, 0.1]
    if argv[1:2] == ["--fractions"]:
        fractions = [float(f) for f in argv[2].split(",")]
    molecules = {
        "block_one": block(5, 10, 10, lambda i, j, k: "C"),
        "block_two": block(5, 10, 10, lambda i, j, k: "CN"[(i + j + k) % 2]),
        "cube_cut": block(8, 8, 8, lambda i, j, k: "C"),
        "sphere": sphere(),
    }
    os.makedirs(out, exist_ok=True)
    for name, atoms in molecules.items():
        atoms = as_written(atoms)
        largest = bound(atoms)
        for fraction in fractions:
            # The largest double below the bound for 1, as the input accepts it.
            thrsym = math.nextafter(largest, 0.0) if fraction == 1.0 else fraction * largest
            write(
                os.path.join(out, f"{name}_{fraction:g}.in"),
                f"{name}, {fraction:g} of the bound",
                atoms,
                thrsym,
            )
        write(os.path.join(out, f"{name}_tight.in"), f"{name}, tight", atoms, TIGHT_THRSYM)


if __name__ == "__main__":
    main(sys.argv[1:])
