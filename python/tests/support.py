"""What the package tests share: the checkout, the programs, and one run of a keyword input
through a program and through the package."""

import os
import pathlib
import subprocess
from dataclasses import dataclass

import kelma_symmetry as ks

ROOT = pathlib.Path(os.environ.get("ROOT", pathlib.Path(__file__).resolve().parents[2]))
PROGRAMS = {
    "kelma": pathlib.Path(os.environ.get("KELMA", ROOT / "build/release/kelma")),
    "symmetry": pathlib.Path(os.environ.get("SYMMETRY", ROOT / "build/release/symmetry")),
}
CASES = ROOT / "tests/e2e/cases"


@dataclass
class ProgramRun:
    stdout: str
    stderr: str
    files: dict  # name -> text of "debug", "fort.8" and "fort.9" where written


def run_program(program, text, folder):
    """The program on the keyword input text, in folder."""
    done = subprocess.run(
        [PROGRAMS[program]], input=text, cwd=folder, capture_output=True, text=True, check=False
    )
    files = {
        p.name: p.read_text() for p in folder.iterdir() if p.name in ("debug", "fort.8", "fort.9")
    }
    return ProgramRun(done.stdout, done.stderr, files)


def run_package(program, text):
    """The package on the keyword input text, read by the program's reader: the result, or the
    exception the run ended with."""
    try:
        if program == "kelma":
            given = ks.read_kelma_input(text)
            return ks.optimise(
                given.coordinates, given.types, given.bonds, listing=True, **given.settings
            )
        given = ks.read_symmetry_input(text)
        return ks.point_group(given.coordinates, given.elements, listing=True, **given.settings)
    except (ValueError, ks.RunStopped) as error:
        return error


def keyword_inputs():
    """(program, name, text) of every end-to-end case and every bundled example."""
    inputs = [
        (
            (case / "program").read_text().strip(),
            case.name,
            (case / "input").read_text(encoding="latin-1"),
        )
        for case in sorted(CASES.iterdir())
    ]
    for program in ("kelma", "symmetry"):
        for example in sorted((ROOT / "examples" / program).glob("*.in")):
            inputs.append((program, f"example_{example.stem}", example.read_text()))
    return inputs


def fixed(values, width, decimals):
    """values written as Fw.d fields, one after the other."""
    return "".join(f"{v:{width}.{decimals}f}" for v in values)
