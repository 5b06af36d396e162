"""Writes the large inputs of the whole-process benchmark: a 200-atom T cluster, a 480-atom Ih
cluster and a 500-atom C1 molecule, each exact (perturbed by up to 5e-5, $thrsym 0.01) and noisy
(Gaussian noise of 0.002 A on every coordinate, $thrsym 0.05), turned and shifted. Every further
input named gets two variants beside them: turned and shifted, and turned, shifted and noisy.
Usage: python3 clusters.py OUTPUT_DIR [INPUT...]"""
import math
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples",
                                "symmetry"))
from make_examples import EZ, INV, PHI, Mol, app, rot, unit  # noqa: E402

ELEMENTS = ["C", "N", "O", "H"]
# Seeds closer than this to an atom already placed are drawn again.
MIN_SEPARATION = 0.8
NOISE = 0.002
NOISY_THRSYM = 0.05
EXACT_THRSYM = 0.01
EXACT_JITTER = 5e-5


def seed_point(rng, rmin, rmax):
    direction = unit([rng.gauss(0, 1) for _ in range(3)])
    r = rng.uniform(rmin, rmax)
    return [r * c for c in direction]


def far_from_all(mol, points):
    return all(math.dist(p, a[1]) > MIN_SEPARATION for p in points for a in mol.atoms) and all(
        math.dist(p, q) > MIN_SEPARATION for i, p in enumerate(points) for q in points[:i])


def add_orbits(mol, rng, count, rmin, rmax, seeds=None):
    """count orbits of the group, from random seed points or from the given seed directions."""
    added = 0
    while added < count:
        if seeds is None:
            seed = seed_point(rng, rmin, rmax)
        else:
            r = rng.uniform(rmin, rmax)
            seed = [r * c for c in unit(seeds[added])]
        images = [app(r, seed) for r in mol.grp]
        distinct = [
            p for i, p in enumerate(images) if all(math.dist(p, q) > 1e-6 for q in images[:i])
        ]
        if far_from_all(mol, distinct):
            mol.orbit(ELEMENTS[added % len(ELEMENTS)], seed)
            added += 1
    return mol


def t_cluster(rng):
    """T: 16 general orbits of 12 and two orbits of 4 on the three-fold axes."""
    mol = Mol([rot([1, 1, 1], 2 * math.pi / 3), rot(EZ, math.pi)])
    add_orbits(mol, rng, 2, 2.0, 3.0, seeds=[[1, 1, 1], [-1, -1, -1]])
    return add_orbits(mol, rng, 16, 3.0, 9.0)


def ih_cluster(rng):
    """Ih: four general orbits of 120."""
    mol = Mol([rot([0, 1, PHI], 2 * math.pi / 5), rot([1, 1, 1], 2 * math.pi / 3), INV])
    return add_orbits(mol, rng, 4, 4.0, 12.0)


def c1_molecule(rng):
    """500 atoms without symmetry."""
    mol = Mol([])
    while len(mol.atoms) < 500:
        p = seed_point(rng, 0.0, 12.0)
        if far_from_all(mol, [p]):
            mol.atoms.append((ELEMENTS[len(mol.atoms) % len(ELEMENTS)], p))
    return mol


def moved(rng, positions, jitter):
    """The positions turned and shifted at random, each coordinate jittered."""
    turn = rot(unit([rng.uniform(-1, 1) for _ in range(3)]), rng.uniform(0.3, 3.0))
    shift = [rng.uniform(-4, 4) for _ in range(3)]
    return [
        [y[i] + shift[i] + jitter(rng) for i in range(3)] for y in (app(turn, x) for x in positions)
    ]


def atom_line(position, rest):
    return "".join(f"{v:16.10f}" for v in position) + rest


def write(path, title, mol, rng, thrsym, jitter):
    lines = [f"# {title}", f"$natoms {len(mol.atoms)}", f"$thrsym {thrsym}", "$print 0",
             "$coordinates"]
    positions = moved(rng, [x for _, x in mol.atoms], jitter)
    lines += [atom_line(p, f"     {sym:<2}") for p, (sym, _) in zip(positions, mol.atoms)]
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


def write_variants(out, index, path, rng):
    """Turned and noisy copies of an input; inputs without a readable atom block are passed over."""
    lines = open(path).read().split("\n")
    try:
        first = next(k for k, line in enumerate(lines) if line.startswith("$coordinates")) + 1
        natoms = int(next(line.split()[1] for line in lines if line.startswith("$natoms")))
        atoms = lines[first:first + natoms]
        positions = [[float(a[16 * k:16 * k + 16]) for k in range(3)] for a in atoms]
    except (StopIteration, IndexError, ValueError):
        return
    for kind, thrsym, jitter in (("turned", None, lambda r: 0.0),
                                 ("noisy", NOISY_THRSYM, lambda r: r.gauss(0, NOISE))):
        new = moved(rng, positions, jitter)
        body = [atom_line(p, a[48:]) for p, a in zip(new, atoms)]
        head = [f"$thrsym {thrsym}" if thrsym and line.startswith("$thrsym") else line
                for line in lines[:first]]
        name = f"{index:03d}_{kind}_" + os.path.basename(os.path.dirname(path) if path.endswith(
            "/input") else path).removesuffix(".in")
        with open(os.path.join(out, name + ".in"), "w") as f:
            f.write("\n".join(head + body + lines[first + natoms:]))


if __name__ == "__main__":
    out = sys.argv[1]
    rng = random.Random(20250119)
    for name, build in (("t_cluster_200", t_cluster), ("ih_cluster_480", ih_cluster),
                        ("c1_molecule_500", c1_molecule)):
        mol = build(rng)
        write(os.path.join(out, name + ".in"), name + ", exact", mol, rng, EXACT_THRSYM,
              lambda r: r.uniform(-EXACT_JITTER, EXACT_JITTER))
        write(os.path.join(out, name + "_noisy.in"), name + f", noise {NOISE} A", mol, rng,
              NOISY_THRSYM, lambda r: r.gauss(0, NOISE))
    for index, path in enumerate(sys.argv[2:]):
        write_variants(out, index, path, rng)
