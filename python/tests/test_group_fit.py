"""The deviation, the tolerance scan, symmetrising to a chosen group and the weighing, as the
package gives them."""

import math

import numpy as np
import pytest

import kelma_symmetry as ks

D = 0.01
# Water with one hydrogen raised by D and the other lowered: C2v moves each back by D.
WATER = (
    np.array([[0, 0, 0.1173], [0.7572, 0, -0.4692 + D], [-0.7572, 0, -0.4692 - D]]),
    ["O", "H", "H"],
)


def noisy_benzene(noise=0.002, seed=3):
    angles = np.arange(6) * np.pi / 3

    def ring(r):
        return np.stack([r * np.cos(angles), r * np.sin(angles), np.zeros(6)], axis=1)

    atoms = np.concatenate([ring(1.397), ring(1.397 + 1.084)])
    return atoms + np.random.default_rng(seed).normal(0, noise, atoms.shape), ["C"] * 6 + ["H"] * 6


def test_the_deviation_of_a_hand_distorted_water():
    d = ks.point_group(*WATER, thrsym=0.05).deviation
    assert d.rms == pytest.approx(D * math.sqrt(2 / 3), abs=1e-12)
    assert (d.largest, d.image) == pytest.approx((D, 2 * D), abs=1e-12)


def test_the_scan_of_a_noisy_benzene():
    scan = ks.scan_tolerances(*noisy_benzene(), thrsym=0.05)
    assert scan.label == "d6h"
    names = {row.tolerance: row.name for row in scan.rows}
    assert names[0.05] == names[0.3] == "D6h" and names[0.0001] != "D6h"
    assert 0.0001 < scan.holds_from <= 0.05
    table = scan.table()
    assert len(table) == len(scan.rows)


def test_symmetrising_benzene_to_c2v_and_refusing_d2d():
    atoms, elements = noisy_benzene()
    c2v = ks.symmetrise_to(atoms, elements, "C2v", thrsym=0.05)
    assert (c2v.name, c2v.order) == ("C2v", 4)
    assert c2v.deviation.rms < ks.point_group(atoms, elements, thrsym=0.05).deviation.rms
    with pytest.raises(ValueError, match="d6h has no subgroup d2d"):
        ks.symmetrise_to(atoms, elements, "D2d", thrsym=0.05)


def test_an_exact_answer_stands_when_weighed():
    weighed = ks.weighed_point_group(*noisy_benzene(noise=0.0), thrsym=0.05)
    assert (weighed.group.name, weighed.answer, weighed.replaced, weighed.near) == (
        "D6h",
        "d6h",
        False,
        (),
    )
