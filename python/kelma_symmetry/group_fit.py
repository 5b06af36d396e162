"""How well a molecule fits its point group: the tolerance scan, symmetrising to a chosen group,
and the weighing of groups that hold at a loose tolerance."""

from dataclasses import dataclass

import numpy as np

from . import _core, checks, defaults
from .point_groups import INFINITY_MARK, Deviation, PointGroup, group_of, textbook_name


@dataclass(frozen=True)
class ScanRow:
    """The group at one tolerance: ``label`` and ``name`` ("" when the tolerance is ``refused``:
    like atoms closer than twice it), ``order``, ``degrees_of_freedom``, ``deviation`` and
    ``fell_back`` (the search fell back to C1)."""

    tolerance: float
    refused: bool
    label: str
    name: str
    order: int
    degrees_of_freedom: int
    deviation: Deviation
    fell_back: bool


@dataclass(frozen=True)
class ToleranceScan:
    """``rows`` in the order of the ladder; ``label`` the group at the call's own ``thrsym``;
    ``holds_from`` the tightest tolerance from which every rung up to ``thrsym`` names it."""

    rows: tuple
    label: str
    holds_from: float

    def table(self):
        """The rows as a pandas DataFrame when pandas is installed, else as a list of dicts."""
        records = [
            {
                "tolerance": r.tolerance,
                "group": r.name if not r.refused else "refused",
                "order": r.order,
                "rms": r.deviation.rms,
                "largest": r.deviation.largest,
                "image": r.deviation.image,
                "csm": r.deviation.csm,
            }
            for r in self.rows
        ]
        try:
            import pandas
        except ImportError:
            return records
        return pandas.DataFrame.from_records(records)


@dataclass(frozen=True)
class HeldGroup:
    """Another group that holds at the tolerance, found by a search at ``tolerance``."""

    label: str
    name: str
    order: int
    tolerance: float
    deviation: Deviation


@dataclass(frozen=True)
class WeighedGroup:
    """``group``: the answer, or the group that moves the atoms less (``replaced``); ``answer``
    the label symmetry's own run gives; ``near`` the other groups that hold."""

    group: PointGroup
    answer: str
    replaced: bool
    near: tuple


def _program_label(label):
    return label.replace("∞", INFINITY_MARK)


def _deviation(fields):
    return Deviation(**fields)


def _arguments(coordinates, elements, thrsym):
    coordinates = checks.atom_coordinates(coordinates)
    return coordinates, checks.elements(elements, len(coordinates)), checks.real("$thrsym", thrsym)


def scan_tolerances(coordinates, elements, thrsym=defaults.THRSYM, ladder=None):
    """The group symmetry finds at each tolerance of ``ladder`` (default 1e-4 to 0.3 in steps of
    about 2 and 2.5) and at ``thrsym``, and the tightest tolerance at which that group still
    holds. Arguments as for :func:`kelma_symmetry.point_group`."""
    if ladder is not None:
        ladder = [checks.real("ladder", t) for t in ladder]
    call = _core.scan_tolerances(*_arguments(coordinates, elements, thrsym), ladder)
    rows = tuple(
        ScanRow(
            tolerance=r["tolerance"],
            refused=r["refused"],
            label=r["label"].rstrip(),
            name=textbook_name(r["label"].rstrip()),
            order=r["order"],
            degrees_of_freedom=r["degrees_of_freedom"],
            deviation=_deviation(r["deviation"]),
            fell_back=r["fell_back"],
        )
        for r in call["rows"]
    )
    return ToleranceScan(rows=rows, label=call["label"].rstrip(), holds_from=call["holds_from"])


def symmetrise_to(coordinates, elements, label, thrsym=defaults.THRSYM, along=None):
    """The atoms symmetrised to ``label`` ("C2v", "d2h", "C∞v"), which must be the group symmetry
    finds at ``thrsym`` or a subgroup of it, in that group's standard frame, as a
    :class:`PointGroup`. Where the found group has several subgroups of that label, ``along`` (an
    axis or a plane normal in the found group's standard frame, as its ``elements`` give them)
    picks one; by default the one that keeps most of the found frame. Raises ValueError with the
    reason for a label that is no subgroup."""
    if along is not None:
        along = [checks.real("along", v) for v in np.asarray(along, dtype=float).reshape(3)]
    call = _core.symmetrise_to(
        *_arguments(coordinates, elements, thrsym), _program_label(label), along
    )
    if call["refusal"]:
        raise ValueError(call["refusal"])
    return group_of(call)


def weighed_point_group(coordinates, elements, thrsym=defaults.THRSYM):
    """symmetry's answer weighed: where a search at a tighter tolerance finds a group that holds
    as well, the larger of two nested groups wins unless its further constraints move the atoms
    far more than noise would, and of two groups that are not nested the one whose symmetrisation
    moves the atoms less; the others are named in ``near``."""
    call = _core.weigh_point_group(*_arguments(coordinates, elements, thrsym))
    near = tuple(
        HeldGroup(
            label=g["label"].rstrip(),
            name=textbook_name(g["label"].rstrip()),
            order=g["order"],
            tolerance=g["tolerance"],
            deviation=_deviation(g["deviation"]),
        )
        for g in call["near"]
    )
    return WeighedGroup(
        group=group_of(call), answer=call["answer"].rstrip(), replaced=call["replaced"], near=near
    )
