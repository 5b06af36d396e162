"""The checks of what the package's calls are given.

What the programs refuse, and what they would take but run to a wrong or meaningless result, is
refused here before a call starts: a ``ValueError`` whose one line names the argument (by its
keyword for the settings) and the bad value or the atom or bond it sits at. The programs' own
refusals that need a run (coincident atoms, a negative ``$jobtype``, ``$thrsym``) come from the
programs' code with the programs' words.
"""

import math
import numbers

import numpy as np

from . import _core

# The programs' integers are 32-bit.
INTEGER_RANGE = range(-(2**31), 2**31)
# The atom lines hold F16.10 coordinates: a minus sign takes one of the five places before the
# point. The result records have the same fields.
LOWEST_COORDINATE = -9999.9999999999
HIGHEST_COORDINATE = 99999.9999999999
AXES = "xyz"
FORCE_FIELD_TYPES = range(1, _core.type_count + 1)
# 1 single, 2 double, 3 triple, 4 amide, 5 aromatic: the codes the parameter tables know.
BOND_CODES = range(1, 6)
# Columns of the element label on the atom lines.
ELEMENT_WIDTH = 2


def is_number(value):
    return isinstance(value, numbers.Real) and not isinstance(value, bool | np.bool_)


def is_integer(value):
    """Whether value is a whole number; in arrays an integral float counts, a bool never does."""
    if not is_number(value):
        return False
    return isinstance(value, numbers.Integral) or float(value).is_integer()


def shown(value):
    """value as a message quotes it: numbers plainly, anything else as its repr."""
    if is_number(value):
        return str(int(value)) if isinstance(value, numbers.Integral) else repr(float(value))
    return repr(value)


def integer(keyword, value, minimum=None):
    """A setting that the keyword input gives as an integer (so 2.0 is refused, as there)."""
    if not (is_number(value) and isinstance(value, numbers.Integral)):
        raise ValueError(f"{keyword} must be an integer, not {shown(value)}")
    if int(value) not in INTEGER_RANGE:
        raise ValueError(f"{keyword} must be a 32-bit integer, not {shown(value)}")
    if minimum is not None and value < minimum:
        raise ValueError(f"{keyword} must not be below {minimum}, not {shown(value)}")
    return int(value)


def real(keyword, value):
    """A setting that the keyword input gives as a real number."""
    if not is_number(value):
        raise ValueError(f"{keyword} must be a number, not {shown(value)}")
    return float(value)


def positive(keyword, value):
    """A real setting that only means something as a positive finite number."""
    number = real(keyword, value)
    if not (math.isfinite(number) and number > 0.0):
        raise ValueError(f"{keyword} must be a positive number, not {shown(value)}")
    return number


def coordinates(value):
    """An (n, 3) array of finite numbers, as float."""
    array = np.asarray(value)
    if array.ndim != 2 or array.shape[1] != 3:
        raise ValueError("coordinates must be an (n, 3) array")
    if array.size and array.dtype.kind not in "iuf":
        raise ValueError(f"coordinates must be numbers, not {array.dtype}")
    array = np.ascontiguousarray(array, dtype=float)
    bad = np.flatnonzero(~np.isfinite(array))
    if bad.size:
        k = bad[0]
        reason = "is not a number" if math.isnan(array.flat[k]) else "is infinite"
        raise ValueError(f"atom {k // 3 + 1}: {AXES[k % 3]} coordinate {reason}")
    return array


def atom_coordinates(value):
    """coordinates() of a molecule the programs take: 1 to 500 atoms, every value fitting the
    atom lines (and so the result records)."""
    array = coordinates(value)
    _core.check_atom_count(len(array))
    outside = np.flatnonzero((array < LOWEST_COORDINATE) | (array > HIGHEST_COORDINATE))
    if outside.size:
        k = outside[0]
        raise ValueError(
            f"atom {k // 3 + 1}: {AXES[k % 3]} coordinate {shown(array.flat[k])} is outside "
            f"{LOWEST_COORDINATE}..{HIGHEST_COORDINATE}, the range of the atom lines"
        )
    return array


def suspects(array, wrong):
    """Where the item-by-item checks must start: the first item, or, for an array of integers
    (whose items are whole numbers by their type), the first that wrong(array) marks (the end
    when it marks none), so that a molecule's arrays are not walked in Python."""
    if array.dtype.kind not in "iu":
        return 0
    found = np.flatnonzero(wrong(array))
    return int(found[0]) if found.size else len(array)


def wrong_types(array):
    return (array < FORCE_FIELD_TYPES.start) | (array > FORCE_FIELD_TYPES[-1])


def wrong_bonds(array, natoms):
    i, j, code = array.T
    outside = (i < 0) | (i >= natoms) | (j < 0) | (j >= natoms)
    return outside | (i == j) | (code < BOND_CODES.start) | (code > BOND_CODES[-1])


def types(value, natoms):
    """One force-field type per atom, each 1 to 32, as C ints."""
    array = np.asarray(value)
    if array.ndim != 1 or len(array) != natoms:
        raise ValueError("types must hold one force-field type per atom")
    first = suspects(array, wrong_types)
    for atom, itype in enumerate(array[first:].tolist(), first + 1):
        if not is_integer(itype):
            raise ValueError(f"atom {atom}: force-field type {shown(itype)} is not an integer")
        if itype < FORCE_FIELD_TYPES.start:
            raise ValueError(
                f"atom {atom}: force-field type {shown(itype)} is below {FORCE_FIELD_TYPES.start}"
            )
        if itype not in FORCE_FIELD_TYPES:
            raise ValueError(
                f"atom {atom}: force-field type {shown(itype)} is above {FORCE_FIELD_TYPES[-1]}"
            )
    return array.astype(np.intc)


def bonds(value, natoms):
    """(atom, atom, code) rows with 0-based atoms, as an (m, 3) array of C ints. A bond of an atom
    to itself is refused: kelma keeps it, but it only miscounts the atom's neighbours."""
    array = np.asarray(value)
    if array.size == 0:
        return np.zeros((0, 3), dtype=np.intc)
    if array.ndim != 2 or array.shape[1] != 3:
        raise ValueError("bonds must be an (m, 3) array of atom, atom, bond code")
    first = suspects(array, lambda rows: wrong_bonds(rows, natoms))
    for row, (i, j, code) in enumerate(array[first:].tolist(), first + 1):
        for item in (i, j, code):
            if not is_integer(item):
                raise ValueError(f"bond {row}: {shown(item)} is not an integer")
        if not (0 <= i < natoms and 0 <= j < natoms):
            raise ValueError(f"bond {row}: atom index outside 0..{natoms - 1}")
        if i == j:
            raise ValueError(f"bond {row}: atom index {shown(i)} is bonded to itself")
        if code not in BOND_CODES:
            codes = f"{BOND_CODES.start}..{BOND_CODES[-1]}"
            raise ValueError(f"bond {row}: bond code {shown(code)} is outside {codes}")
    return array.astype(np.intc)


def elements(value, natoms):
    """One element symbol per atom, each a str of at most two characters."""
    if isinstance(value, str):
        raise ValueError(f"elements must be one symbol per atom, not the string {value!r}")
    symbols = list(value)
    if len(symbols) != natoms:
        raise ValueError("elements must hold one symbol per atom")
    for atom, symbol in enumerate(symbols, 1):
        if not isinstance(symbol, str):
            raise ValueError(f"atom {atom}: element {symbol!r} is not a string")
        if len(symbol) > ELEMENT_WIDTH:
            raise ValueError(
                f"atom {atom}: element '{symbol}' is longer than {ELEMENT_WIDTH} characters"
            )
    return [str(symbol) for symbol in symbols]


def molecule_problem(xyz, symbols, itype, bond_rows):
    """Why the programs could not run a molecule as it stands, or "" when they can."""
    try:
        natoms = len(atom_coordinates(xyz))
        elements(symbols, natoms)
        types(itype, natoms)
        bonds(bond_rows, natoms)
    except ValueError as error:
        return str(error)
    return ""
