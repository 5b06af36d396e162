"""Writes the symmetry_example_* cases: molecules already in the standard frame of their group
(operations are signed permutations of the axes, so no frame the program builds from them turns
the molecule), shifted and perturbed. The expected coordinates are the exact group average of the
centred input, computed here in rational arithmetic from the decimal input text.
Usage: python3 tests/e2e/symmetry_example_expectations.py tests/e2e/cases"""
import os
import random
import sys
from fractions import Fraction as F
from itertools import permutations, product


def signed_perms():
    for p in permutations(range(3)):
        for s in product((1, -1), repeat=3):
            yield tuple(tuple(s[i] if p[i] == j else 0 for j in range(3)) for i in range(3))


def app(r, x):
    return tuple(sum(r[i][k] * x[k] for k in range(3)) for i in range(3))


def group_of(atoms):
    """Every signed permutation of the axes that maps the exact molecule onto itself."""
    ops = []
    for r in signed_perms():
        if all(
            any(s2 == s and all(abs(a - b) < 1e-9 for a, b in zip(app(r, x), y)) for s2, y in atoms)
            for s, x in atoms
        ):
            ops.append(r)
    return ops


def det(r):
    return (
        r[0][0] * (r[1][1] * r[2][2] - r[1][2] * r[2][1])
        - r[0][1] * (r[1][0] * r[2][2] - r[1][2] * r[2][0])
        + r[0][2] * (r[1][0] * r[2][1] - r[1][1] * r[2][0])
    )


def degrees(atoms, ops):
    cart = trans = rot = 0
    for r in ops:
        t = r[0][0] + r[1][1] + r[2][2]
        fixed = sum(1 for s, x in atoms if all(abs(a - b) < 1e-9 for a, b in zip(app(r, x), x)))
        cart += fixed * t
        trans += t
        rot += det(r) * t
    total = cart - trans - rot
    assert total % len(ops) == 0
    return total // len(ops)


class NearTie(Exception):
    pass


def f16(v):
    # A value this close to a rounding boundary would print either way after the program's
    # floating-point sums: such a draw is not a fair expectation.
    if abs(abs(v * 10 ** 10) % 1 - F(1, 2)) < F(1, 10 ** 4):
        raise NearTie
    q = round(v * 10 ** 10)  # Fraction rounding: ties to even
    text = f"{abs(q) // 10 ** 10}.{abs(q) % 10 ** 10:010d}"
    if v < 0:
        text = "-" + text
    return f"{text:>16}"


def case(root, name, title, label, atoms, rng):
    while True:
        try:
            return draw(root, name, title, label, atoms, rng)
        except NearTie:
            pass


def draw(root, name, title, label, atoms, rng):
    ops = group_of(atoms)
    shift = [rng.uniform(-3, 3) for _ in range(3)]
    lines = [
        f"# {title}, shifted and perturbed by up to 5e-5",
        f"$natoms {len(atoms)}",
        "$thrsym 0.01",
        "$print 0",
        "$coordinates",
    ]
    read = []
    for s, x in atoms:
        fields = [f"{x[i] + shift[i] + rng.uniform(-5e-5, 5e-5):16.10f}" for i in range(3)]
        lines.append("".join(fields) + "     " + f"{s:<2}")
        read.append((s, [F(v.strip()) for v in fields]))
    n = len(read)
    centre = [sum(x[i] for s, x in read) / n for i in range(3)]
    centred = [(s, [x[i] - centre[i] for i in range(3)]) for s, x in read]
    out = []
    for sj, xj in centred:
        acc = [F(0)] * 3
        for r in ops:
            # the atom that r carries onto atom j
            i = [k for k, (si, xi) in enumerate(centred)
                 if si == sj and max(abs(a - b) for a, b in zip(app(r, xi), xj)) < F(1, 100)]
            assert len(i) == 1
            acc = [acc[k] + app(r, centred[i[0]][1])[k] for k in range(3)]
        avg = [a / len(ops) for a in acc]
        out.append("!" + "".join(f16(F(0) if abs(v) < F(1, 10 ** 8) else v) for v in avg))
    record = f"*Point Group: {label}        Degrees of freedom: {degrees(atoms, ops):3d}"
    d = os.path.join(root, "symmetry_example_" + name)
    os.makedirs(d, exist_ok=True)
    open(os.path.join(d, "input"), "w").write("\n".join(lines) + "\n")
    open(os.path.join(d, "program"), "w").write("symmetry\n")
    open(os.path.join(d, "exit_code"), "w").write("0\n")
    open(os.path.join(d, "stderr"), "w").write("")
    open(os.path.join(d, "stdout"), "w").write("\n".join([record] + out) + "\n")
    print(name, len(ops), "operations")


if __name__ == "__main__":
    root = sys.argv[1]
    rng = random.Random(8)
    oh, oz = 0.7570, 0.5859  # water: O-H 0.9572, angle 104.52
    case(root, "water_c2v", "C2v water in its standard frame", "c2v ",
         [("O", (0, 0, 0)), ("H", (0, oh, oz)), ("H", (0, -oh, oz))], rng)
    a = 1.087 / 3 ** 0.5  # methane: C-H 1.087
    case(
        root,
        "methane_td",
        "Td methane in its standard frame",
        "td  ",
        [
            ("C", (0, 0, 0)),
            ("H", (a, a, a)),
            ("H", (-a, -a, a)),
            ("H", (a, -a, -a)),
            ("H", (-a, a, -a)),
        ],
        rng,
    )
    f = 1.561  # SF6: S-F 1.561
    case(
        root,
        "sf6_oh",
        "Oh sulfur hexafluoride in its standard frame",
        "oh  ",
        [("S", (0, 0, 0))]
        + [
            ("F", tuple(s * f if k == i else 0 for k in range(3)))
            for i in range(3)
            for s in (1, -1)
        ],
        rng,
    )
