"""Writes the symmetry examples: real molecules with realistic bond lengths, each built from a few
seed atoms and the generators of its point group, then turned, shifted and perturbed.
Usage: python3 make_examples.py examples/symmetry"""
import math
import random
import sys
import os

PHI = (1 + 5 ** 0.5) / 2


def mul(a, b):
    return [[sum(a[i][k] * b[k][j] for k in range(3)) for j in range(3)] for i in range(3)]


def app(r, x):
    return [sum(r[i][k] * x[k] for k in range(3)) for i in range(3)]


def unit(v):
    n = math.sqrt(sum(c * c for c in v))
    return [c / n for c in v]


def rot(axis, ang):
    a = unit(axis)
    c, s = math.cos(ang), math.sin(ang)
    k = [[0, -a[2], a[1]], [a[2], 0, -a[0]], [-a[1], a[0], 0]]
    return [
        [(c if i == j else 0) + s * k[i][j] + (1 - c) * a[i] * a[j] for j in range(3)]
        for i in range(3)
    ]


def refl(nrm):
    n = unit(nrm)
    return [[(1 if i == j else 0) - 2 * n[i] * n[j] for j in range(3)] for i in range(3)]


INV = [[-1, 0, 0], [0, -1, 0], [0, 0, -1]]
EZ = [0, 0, 1]


def close(gens):
    grp = [[[1, 0, 0], [0, 1, 0], [0, 0, 1]]]
    grown = 0
    while grown != len(grp):
        grown = len(grp)
        for g in list(grp):
            for h in gens:
                p = mul(h, g)
                if all(
                    max(abs(p[i][j] - q[i][j]) for i in range(3) for j in range(3)) > 1e-9
                    for q in grp
                ):
                    grp.append(p)
    return grp


class Mol:
    def __init__(self, gens):
        self.grp = close(gens)
        self.atoms = []

    def orbit(self, sym, x):
        for r in self.grp:
            y = app(r, x)
            if all(math.dist(y, a[1]) > 1e-6 for a in self.atoms):
                self.atoms.append((sym, y))
        return self


def ring(r, ang, z): return [r * math.cos(ang), r * math.sin(ang), z]
def d(x): return math.radians(x)


def molecules():
    m = {}
    tet = math.acos(-1 / 3)

    def pol(th, az):
        return [math.sin(th) * math.cos(az), math.sin(th) * math.sin(az), math.cos(th)]

    def add(a, s, b):
        return [a[i] + s * b[i] for i in range(3)]
    x = Mol([])
    x.orbit("C", [0, 0, 0]).orbit("H", [0, 0, 1.093]).orbit("F", [1.355 * c for c in pol(tet, 0)])
    x.orbit("Cl", [1.768 * c for c in pol(tet, d(120))]).orbit(
        "Br", [1.930 * c for c in pol(tet, d(240))]
    )
    m["bromochlorofluoromethane"] = ("C1 CHFClBr", x)
    tw = d((180 - 111.5) / 2)
    ooh = d(94.8)
    x = Mol([rot(EZ, math.pi)]).orbit("O", [0.7375, 0, 0])
    x.orbit(
        "H",
        add(
            [0.7375, 0, 0],
            0.95,
            [-math.cos(ooh), math.sin(ooh) * math.cos(tw), math.sin(ooh) * math.sin(tw)],
        ),
    )
    m["hydrogen_peroxide"] = ("C2 hydrogen peroxide H2O2", x)
    x = Mol([rot(EZ, math.pi), refl([0, 1, 0])]).orbit("O", [0, 0, 0])
    x.orbit("H", [0.9572 * c for c in pol(d(104.52 / 2), 0)])
    m["water"] = ("C2v water H2O", x)
    hh = 2 * 1.012 * math.sin(d(106.7 / 2))
    rho = hh / 3 ** 0.5
    x = Mol([rot(EZ, 2 * math.pi / 3), refl([0, 1, 0])]).orbit("N", [0, 0, 0])
    x.orbit("H", [rho, 0, -math.sqrt(1.012 ** 2 - rho ** 2)])
    m["ammonia"] = ("C3v ammonia NH3", x)
    c1 = [0.665, 0, 0]
    x = Mol([INV, refl(EZ)]).orbit("C", c1).orbit("Cl", add(c1, 1.73, ring(1, d(58), 0)))
    x.orbit("H", add(c1, 1.08, ring(1, -d(59), 0)))
    m["trans_dichloroethene"] = ("C2h trans-1,2-dichloroethene ClHC=CHCl", x)
    x = Mol([rot(EZ, math.pi), rot([0, 1, 0], math.pi), INV]).orbit("C", [0.6695, 0, 0])
    x.orbit("H", add([0.6695, 0, 0], 1.087, ring(1, d(117.4 / 2), 0)))
    m["ethene"] = ("D2h ethene C2H4", x)
    x = (
        Mol([rot(EZ, 2 * math.pi / 3), refl(EZ), refl([0, 1, 0])])
        .orbit("B", [0, 0, 0])
        .orbit("F", [1.307, 0, 0])
    )
    m["boron_trifluoride"] = ("D3h boron trifluoride BF3", x)
    c1 = [0, 0, 0.7675]
    x = Mol([rot(EZ, 2 * math.pi / 3), INV, refl([0, 1, 0])]).orbit("C", c1)
    x.orbit("H", add(c1, 1.094, pol(d(180 - 111.2), 0)))
    m["staggered_ethane"] = ("D3d staggered ethane C2H6", x)
    s4 = mul(refl(EZ), rot(EZ, math.pi / 2))
    x = Mol([s4, refl([0, 1, 0])]).orbit("C", [0, 0, 0]).orbit("C", [0, 0, 1.308])
    x.orbit("H", add([0, 0, 1.308], 1.087, pol(d(118.2 / 2), 0)))
    m["allene"] = ("D2d allene C3H4", x)
    x = (
        Mol([rot(EZ, math.pi / 2), refl(EZ), refl([0, 1, 0])])
        .orbit("Xe", [0, 0, 0])
        .orbit("F", [1.953, 0, 0])
    )
    m["xenon_tetrafluoride"] = ("D4h xenon tetrafluoride XeF4", x)
    re = [0, 0, 1.12]
    x = Mol([rot(EZ, math.pi / 2), refl(EZ), refl([0, 1, 0])]).orbit("Re", re)
    x.orbit("Cl", add(re, 2.29, pol(d(180 - 104), 0)))
    m["octachlorodirhenate"] = ("D4h octachlorodirhenate [Re2Cl8](2-), eclipsed", x)
    x = (
        Mol([rot(EZ, math.pi / 3), refl(EZ), refl([0, 1, 0])])
        .orbit("C", [1.397, 0, 0])
        .orbit("H", [2.481, 0, 0])
    )
    m["benzene"] = ("D6h benzene C6H6", x)
    r5 = 1.43 / (2 * math.sin(math.pi / 5))
    for name, label, third in (("ferrocene_eclipsed", "D5h eclipsed ferrocene Fe(C5H5)2", refl(EZ)),
                               ("ferrocene_staggered", "D5d staggered ferrocene Fe(C5H5)2", INV)):
        x = Mol([rot(EZ, 2 * math.pi / 5), third, refl([0, 1, 0])]).orbit("Fe", [0, 0, 0])
        x.orbit("C", [r5, 0, 1.66]).orbit("H", [r5 + 1.08, 0, 1.66])
        m[name] = (label, x)
    co = unit([1, 0, 2 ** -0.5])
    o1 = [1.405 * c for c in co]
    inpl = unit([-co[2] * co[0], 0, 1 - co[2] * co[2]])
    a = d(180 - 108.5)
    bond = [
        math.cos(a) * co[i] + math.sin(a) * (0.5 * inpl[i] + (3**0.5 / 2) * [0, 1, 0][i])
        for i in range(3)
    ]
    x = Mol([s4]).orbit("C", [0, 0, 0]).orbit("O", o1).orbit("H", add(o1, 0.965, bond))
    m["orthocarbonic_acid"] = ("S4 orthocarbonic acid C(OH)4, S4 conformer", x)
    td = [rot([1, 1, 1], 2 * math.pi / 3), rot(EZ, math.pi), refl([1, -1, 0])]
    x = Mol(td).orbit("C", [0, 0, 0]).orbit("H", [1.087 / 3 ** 0.5] * 3)
    m["methane"] = ("Td methane CH4", x)
    oh = [rot([1, 1, 1], 2 * math.pi / 3), rot(EZ, math.pi / 2), INV]
    x = Mol(oh).orbit("S", [0, 0, 0]).orbit("F", [0, 0, 1.561])
    m["sulfur_hexafluoride"] = ("Oh sulfur hexafluoride SF6", x)
    ih = [rot([0, 1, PHI], 2 * math.pi / 5), rot([1, 1, 1], 2 * math.pi / 3), INV]
    s = 4.30 / 2
    va = [0, s, s * PHI]
    vb = [0, -s, s * PHI]
    x = Mol(ih).orbit("C", add(va, 1.45 / 4.30, [vb[i] - va[i] for i in range(3)]))
    m["fullerene_c60"] = ("Ih buckminsterfullerene C60 (bonds 1.45 and 1.40)", x)
    rb = 1.78 * math.sin(2 * math.pi / 5)
    v = unit([0, 1, PHI])
    x = Mol(ih).orbit("B", [rb * c for c in v]).orbit("H", [(rb + 1.20) * c for c in v])
    m["closo_dodecaborate"] = ("Ih closo-dodecaborate B12H12(2-)", x)
    x = Mol([])
    x.atoms = [("O", [0, 0, -1.160]), ("C", [0, 0, 0]), ("O", [0, 0, 1.160])]
    m["carbon_dioxide"] = ("D*h carbon dioxide CO2", x)
    x = Mol([])
    x.atoms = [("H", [0, 0, -1.066]), ("C", [0, 0, 0]), ("N", [0, 0, 1.153])]
    m["hydrogen_cyanide"] = ("C*v hydrogen cyanide HCN", x)
    return m


def write(path, title, mol, rng):
    q = unit([rng.uniform(-1, 1) for _ in range(3)])
    turn = rot(q, rng.uniform(0.3, 3.0))
    shift = [rng.uniform(-4, 4) for _ in range(3)]
    lines = [f"# {title}; turned, shifted and perturbed by up to 5e-5", f"$natoms {len(mol.atoms)}",
             "$thrsym 0.01", "$print 0", "$coordinates"]
    for sym, x in mol.atoms:
        y = app(turn, x)
        c = [y[i] + shift[i] + rng.uniform(-5e-5, 5e-5) for i in range(3)]
        lines.append("".join(f"{v:16.10f}" for v in c) + "     " + f"{sym:<2}")
    open(path, "w").write("\n".join(lines) + "\n")


if __name__ == "__main__":
    out = sys.argv[1]
    rng = random.Random(20240611)
    for name, (title, mol) in molecules().items():
        write(os.path.join(out, name + ".in"), title, mol, rng)
