"""kelma and symmetry as functions on molecules.

``optimise`` runs kelma's Tripos 5.2 optimisation and ``point_group`` symmetry's point-group
analysis, in process, on the same library code as the programs, so the numbers are the programs'.
``optimise_many`` and ``point_group_many`` run them on many molecules on worker processes.
The adapters (``kelma_symmetry.ase_atoms``, ``.ase_calculator``, ``.rdkit_mol``, ``.files``)
are imported only when used.
"""

from ._core import FormatError, InputError
from .errors import NumberedReport, RunStopped
from .keyword_input import KeywordInput, read_kelma_input, read_symmetry_input
from .group_fit import scan_tolerances, symmetrise_to, weighed_point_group
from .many import MoleculeResult, Results, optimise_many, point_group_many
from .optimiser import HARTREE_PER_KCAL, Optimisation, optimise
from .point_groups import Deviation, Element, PointGroup, point_group

__all__ = [
    "Deviation",
    "HARTREE_PER_KCAL",
    "Element",
    "FormatError",
    "InputError",
    "KeywordInput",
    "MoleculeResult",
    "NumberedReport",
    "Optimisation",
    "PointGroup",
    "Results",
    "RunStopped",
    "optimise",
    "optimise_many",
    "point_group",
    "point_group_many",
    "read_kelma_input",
    "read_symmetry_input",
    "scan_tolerances",
    "symmetrise_to",
    "weighed_point_group",
]
