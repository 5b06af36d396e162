"""kelma and symmetry as functions on molecules.

``optimise`` runs kelma's Tripos 5.2 optimisation and ``point_group`` symmetry's point-group
analysis, in process, on the same library code as the programs, so the numbers are the programs'.
The adapters (``kelma_symmetry.ase_atoms``, ``.rdkit_mol``, ``.files``) are imported only when used.
"""

from ._core import FormatError, InputError
from .errors import NumberedReport, RunStopped
from .keyword_input import KeywordInput, read_kelma_input, read_symmetry_input
from .group_fit import scan_tolerances, symmetrise_to, weighed_point_group
from .optimiser import Optimisation, optimise
from .point_groups import Deviation, Element, PointGroup, point_group

__all__ = [
    "Deviation",
    "Element",
    "FormatError",
    "InputError",
    "KeywordInput",
    "NumberedReport",
    "Optimisation",
    "PointGroup",
    "RunStopped",
    "optimise",
    "point_group",
    "read_kelma_input",
    "read_symmetry_input",
    "scan_tolerances",
    "symmetrise_to",
    "weighed_point_group",
]
