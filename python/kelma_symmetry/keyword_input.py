"""The programs' readers of the keyword input, for runs of existing input files in Python."""

import os
from dataclasses import dataclass

import numpy as np

from . import _core
from .errors import raise_stop


@dataclass(frozen=True)
class KeywordInput:
    """A keyword input as one program reads it: the molecule's arrays and the keyword values
    (``settings``, ready to be passed on as keyword arguments)."""

    coordinates: np.ndarray
    settings: dict
    elements: list | None = None
    types: np.ndarray | None = None
    bonds: np.ndarray | None = None


def read_text(source):
    """The text itself (str or bytes), or the bytes of the file when source is a path
    (os.PathLike): the readers count columns in bytes, as the programs do."""
    if isinstance(source, os.PathLike):
        with open(source, "rb") as file:
            return file.read()
    return source


def read_kelma_input(source):
    """kelma's view of a keyword input (its text, or a pathlib.Path): coordinates, types, bonds
    (0-based) and the settings of optimise. Raises ValueError or NumberedReport as the program
    would end."""
    call = _core.read_kelma_input(read_text(source))
    raise_stop(call)
    return KeywordInput(
        call["coordinates"], call["settings"], types=call["types"], bonds=call["bonds"]
    )


def read_symmetry_input(source):
    """symmetry's view of a keyword input (its text, or a pathlib.Path): coordinates, elements
    and the settings of point_group. Raises ValueError or NumberedReport as the program would
    end."""
    call = _core.read_symmetry_input(read_text(source))
    raise_stop(call)
    return KeywordInput(call["coordinates"], call["settings"], elements=call["elements"])
