"""The exceptions of the package, and calls that leave nothing behind for the next one nor for
calls on other threads."""

import concurrent.futures
import resource

import numpy as np
import pytest

import kelma_symmetry as ks
from support import CASES, ROOT

ETHANE = ks.read_kelma_input(CASES / "kelma_ethane/input")
BENZENE = ks.read_symmetry_input(ROOT / "examples/symmetry/benzene.in")
WATER = (
    np.array([[0.0, 0.0, 0.1173], [0.0, 0.7572, -0.4692], [0.0, -0.7572, -0.4692]]),
    ["O", "H", "H"],
)


def optimise_ethane(**changes):
    given = {
        "coordinates": ETHANE.coordinates,
        "types": ETHANE.types,
        "bonds": ETHANE.bonds,
        **changes,
    }
    return ks.optimise(**given)


@pytest.mark.parametrize(
    "call,text",
    [
        (
            lambda: optimise_ethane(coordinates=np.zeros((0, 3)), types=[], bonds=[]),
            "$natoms must be between 1 and 500, not 0",
        ),
        (
            lambda: ks.point_group(np.zeros((501, 3)), ["C"] * 501),
            "$natoms must be between 1 and 500, not 501",
        ),
        (lambda: optimise_ethane(jobtype=-1), "$jobtype must not be negative, not -1"),
        (
            lambda: optimise_ethane(types=[1, 33] + [13] * 6),
            "atom 2: force-field type 33 is above 32",
        ),
        (
            lambda: optimise_ethane(coordinates=np.zeros((8, 3))),
            "atoms 1 and 2 are at the same position",
        ),
        (lambda: optimise_ethane(bonds=[[0, 8, 1]]), "bond 1: atom index outside 0..7"),
        (lambda: ks.point_group(*WATER, thrsym=0.0), "$thrsym must be a positive number"),
        (
            lambda: ks.point_group(WATER[0], ["O", "H", "Hxx"]),
            "atom 3: element 'Hxx' is longer than 2 characters",
        ),
        (
            lambda: ks.point_group(WATER[0] * [1, 1, np.nan], WATER[1]),
            "atom 1: z coordinate is not a number",
        ),
        (lambda: ks.point_group(WATER[0][:, :2], WATER[1]), "coordinates must be an (n, 3) array"),
    ],
)
def test_rejected_input_raises_value_error_with_the_programs_text(call, text):
    with pytest.raises(ValueError) as raised:
        call()
    assert str(raised.value) == text


def test_a_numbered_report_carries_number_routine_and_text():
    text = (CASES / "kelma_missing_gtol/input").read_text()
    with pytest.raises(ks.NumberedReport) as raised:
        ks.read_kelma_input(text)
    report = raised.value
    assert (report.number, report.routine) == (2, "File IO routine <rdcntrl>")
    assert report.text.rstrip() == "Unable to find Keyword $gtol in <ffdata> file"
    assert report.code == "*** KELMA Error Termination ***"


def test_the_workspace_stop_is_a_run_stop_and_the_cycle_limit_is_none():
    text = (CASES / "kelma_workspace_beyond_capacity/input").read_text()
    given = ks.read_kelma_input(text)
    with pytest.raises(ks.RunStopped) as raised:
        ks.optimise(given.coordinates, given.types, given.bonds, **given.settings)
    assert raised.value.code == "9" and not isinstance(raised.value, ks.NumberedReport)
    at_limit = optimise_ethane(nsteps=3)
    assert not at_limit.converged and at_limit.cycles == len(at_limit.energies) == 3


def calls_in_a_row():
    """One of each kind of call, the failing ones included."""
    results = [
        optimise_ethane(jobtype=1, listing=True),
        ks.point_group(BENZENE.coordinates, BENZENE.elements, thrsym=0.01),
    ]
    for failing in (
        lambda: optimise_ethane(jobtype=-1),
        lambda: ks.read_kelma_input("$natoms 1\n"),
    ):
        with pytest.raises((ValueError, ks.RunStopped)):
            failing()
    results.append(optimise_ethane(nsteps=3))
    return [(r.records, r.listing) for r in results]


def resident_kib():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * resource.getpagesize() // 1024


def test_a_thousand_calls_carry_no_state_and_no_memory():
    first = calls_in_a_row()
    for _ in range(20):
        calls_in_a_row()
    before = resident_kib()
    for _ in range(200):
        assert calls_in_a_row() == first
    # 1,000 calls; a workspace or stream kept per call would be megabytes.
    assert resident_kib() - before < 1024


def test_calls_on_threads_give_what_they_give_in_a_row():
    first = calls_in_a_row()
    with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
        together = list(pool.map(lambda _: calls_in_a_row(), range(16)))
    assert all(results == first for results in together)
