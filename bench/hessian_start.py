#!/usr/bin/env python3
"""$jobtype 1 against $jobtype 0 on a set of real molecules: cycles, final energy and the CPU time
of the whole run (the finite-difference Hessian and the start included), best of three.

usage: bench/hessian_start.py BUILD_DIR   (a build configured with -DBENCH=ON: kelma, ffprep and
                                           bench/alkane are taken from it)

The set: the kelma examples, the twelve molecules of examples/molecules.mol2 (through ffprep), and
the alkanes C5, C10, C20, C30 and C40 in their ideal staggered geometry and with every coordinate
moved by up to 0.1 Angstrom (a fixed seed). Every run may take up to 2000 cycles.
"""
import random
import resource
import statistics
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
CYCLE_LIMIT = 2000
ALKANES = (5, 10, 20, 30, 40)
NOISE = 0.1  # Angstrom
REPEATS = 3


def with_keyword(text, keyword, value):
    return "\n".join(f"{keyword} {value}" if line.startswith(keyword) else line
                     for line in text.split("\n"))


def shaken(text, rng):
    lines, inside = [], False
    for line in text.split("\n"):
        if line.startswith("$"):
            inside = line.startswith("$coordinates")
        elif inside and len(line) >= 48:
            xyz = [float(line[16 * k:16 * k + 16]) + rng.uniform(-NOISE, NOISE) for k in range(3)]
            line = "".join(f"{x:16.10f}" for x in xyz) + line[48:]
        lines.append(line)
    return "\n".join(lines)


def molecules(build, work):
    inputs = {p.stem: p.read_text() for p in sorted((ROOT / "examples/kelma").glob("*.in"))}
    prep = work / "prep"
    subprocess.run([build / "ffprep", "-o", prep, ROOT / "examples/molecules.mol2"], check=True,
                   capture_output=True)
    inputs.update({f"{p.stem} (mol2)": p.read_text() for p in sorted(prep.glob("*.in"))})
    rng = random.Random(3)
    for carbons in ALKANES:
        name = work / f"c{carbons}"
        subprocess.run([build / "bench/alkane", str(carbons), name], check=True)
        text = Path(f"{name}.in").read_text()
        inputs[f"C{carbons}H{2 * carbons + 2}"] = text
        inputs[f"C{carbons}H{2 * carbons + 2} shaken"] = shaken(text, rng)
    return inputs


def run(kelma, text, folder):
    """Cycles, final energy, converged, CPU seconds (best of REPEATS)."""
    best = None
    for _ in range(REPEATS):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        done = subprocess.run([kelma], input=text.encode(), cwd=folder, capture_output=True)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        best = cpu if best is None else min(best, cpu)
    records = [line for line in done.stdout.decode().split("\n") if line.startswith("**")]
    last = records[-1] if records else ""
    converged = b"!" in done.stdout and not done.stderr
    return int(last[2:8]) if last else 0, float(last[17:33]) if last else 0.0, converged, best


def main():
    build = Path(sys.argv[1]).resolve()
    kelma = build / "kelma"
    with tempfile.TemporaryDirectory() as scratch:
        work = Path(scratch)
        rows = []
        for name, text in molecules(build, work).items():
            text = with_keyword(text, "$nsteps", CYCLE_LIMIT)
            natoms = int(
                next(line for line in text.split("\n") if line.startswith("$natoms")).split()[1]
            )
            unit = run(kelma, with_keyword(text, "$jobtype", 0), work)
            hessian = run(kelma, with_keyword(text, "$jobtype", 1), work)
            rows.append((name, natoms, unit, hessian))
    print(f"{'molecule':28s} {'atoms':>5s} | {'cycles 0':>8s} {'cycles 1':>8s} {'ratio':>6s} | "
          f"{'energy 1 - energy 0':>19s} | {'CPU ms 0':>8s} {'CPU ms 1':>8s}")
    for name, natoms, (c0, e0, ok0, t0), (c1, e1, ok1, t1) in rows:
        mark = "" if ok1 or not ok0 else "  (jobtype 1 did not converge)"
        print(f"{name:28s} {natoms:5d} | {c0:8d} {c1:8d} {c1 / c0:6.2f} | {e1 - e0:19.9f} | "
              f"{1000 * t0:8.1f} {1000 * t1:8.1f}{mark}")
    both = [r for r in rows if r[2][2]]
    ratios = [r[3][0] / r[2][0] for r in both if r[3][2]]
    print(f"\n{len(rows)} molecules; jobtype 0 converges on {len(both)}, jobtype 1 on "
          f"{sum(r[3][2] for r in both)} of those")
    print(f"cycles jobtype 1 / jobtype 0: median {statistics.median(ratios):.2f}, "
          f"largest {max(ratios):.2f}")
    print(f"largest energy excess of jobtype 1: {max(r[3][1] - r[2][1] for r in both):.2e} hartree")
    small = [r for r in both if r[1] <= 150]
    faster = sum(r[3][3] < r[2][3] for r in small)
    print(f"jobtype 1 takes less CPU time on {faster} of {len(small)} molecules up to 150 atoms")


if __name__ == "__main__":
    main()
