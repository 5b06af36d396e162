"""Every end-to-end case and bundled example gives in the package what the program writes."""

import pytest

import kelma_symmetry as ks
from support import fixed, keyword_inputs, run_package, run_program

INPUTS = keyword_inputs()


def check_kelma(result, program):
    mark = "!" if result.converged else "@"
    written = [line for line in program.stdout.splitlines() if line.startswith(mark)]
    assert [mark + fixed(atom, 16, 10) for atom in result.coordinates] == written[
        -len(result.coordinates) :
    ]
    # Each cycle record once (the converged cycle is written twice); the result has every cycle,
    # those that went on by a line search and the one the limit stopped without a record.
    records = list(
        dict.fromkeys(line for line in program.stdout.splitlines() if line.startswith("**"))
    )
    figures = zip(
        range(1, result.cycles + 1), result.energies, result.rms_forces, result.line_search
    )
    recorded = [
        f"**  {c:4d}  Energy:{fixed([e], 16, 9)}   RMSG:{fixed([r], 8, 5)}"
        for c, e, r, searched in figures
        if not searched
    ]
    assert recorded[: len(recorded) - (not result.converged)] == records
    assert result.converged == ("STOP 666" not in program.stderr)
    assert result.listing == program.files.get("debug", "")


def check_symmetry(result, program):
    assert "*Point Group: {:4s}        Degrees of freedom: {:3d}".format(
        result.label, result.degrees_of_freedom
    ) == program.stdout.splitlines()[0]
    assert [
        "!" + fixed(atom, 16, 10) for atom in result.coordinates
    ] == program.stdout.splitlines()[1:]
    assert result.listing == program.files.get("debug", program.files.get("fort.8", ""))


@pytest.mark.parametrize("program,name,text", INPUTS, ids=[name for _, name, _ in INPUTS])
def test_the_package_gives_the_programs_records(program, name, text, tmp_path):
    expected = run_program(program, text, tmp_path)
    result = run_package(program, text)
    if isinstance(result, ValueError):
        assert expected.stderr == f"{program}: {result}\n"
        assert expected.stdout == ""
    elif isinstance(result, ks.RunStopped):
        assert expected.stderr.startswith(f"STOP {result.code} statement executed")
        assert result.records == expected.stdout
        listing = expected.files.get("debug", expected.files.get("fort.8", ""))
        assert result.listing == listing
    else:
        assert result.records == expected.stdout
        (check_kelma if program == "kelma" else check_symmetry)(result, expected)
