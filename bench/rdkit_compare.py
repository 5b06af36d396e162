#!/usr/bin/python3
"""Time to converge: kelma (the whole process: start, reading, set-up, cycles, output) against
RDKit's MMFF94 BFGS minimiser inside this process (no start-up or file reading on its side), on
the straight-chain alkanes written by the alkane tool, from the same starting coordinates. Each
time is the best of --runs. Prints one line per molecule and the median ratio RDKit / kelma per
size class. Without RDKit (Debian's python3-rdkit) it says so and stops.

usage: bench/rdkit_compare.py BUILD_DIR [--kelma KELMA] [--runs N] [--carbons C ...]
       (BUILD_DIR configured with -DBENCH=ON: uses BUILD_DIR/bench/alkane, and BUILD_DIR/kelma
       unless --kelma names another build)
"""
import argparse
import os
import resource
import statistics
import subprocess
import tempfile
import time

try:
    from rdkit import Chem
    from rdkit.Chem import AllChem
except ImportError:
    Chem = None

SIZE_CLASSES = [(20, 59), (60, 159), (160, 500)]
DEFAULT_CARBONS = [7, 10, 13, 16, 19, 20, 27, 34, 41, 52, 60, 80, 100, 130, 160]


def child_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def time_kelma(kelma, text, runs):
    """Best wall and CPU seconds of a kelma run, and its last cycle number."""
    best_wall = best_cpu = float("inf")
    for _ in range(runs):
        with tempfile.TemporaryDirectory() as work:
            cpu0 = child_cpu()
            start = time.perf_counter()
            out = subprocess.run([kelma], input=text, capture_output=True, text=True, cwd=work,
                                 check=True).stdout
            best_wall = min(best_wall, time.perf_counter() - start)
            best_cpu = min(best_cpu, child_cpu() - cpu0)
    cycles = int([line for line in out.splitlines() if line.startswith("**")][-1].split()[1])
    return best_wall, best_cpu, cycles


def time_mmff94(mol2, runs):
    """Best seconds of RDKit's MMFF94 set-up and minimisation, and whether it converged."""
    best = float("inf")
    status = 0
    for _ in range(runs):
        mol = Chem.MolFromMol2File(mol2, removeHs=False)
        start = time.perf_counter()
        props = AllChem.MMFFGetMoleculeProperties(mol)
        ff = AllChem.MMFFGetMoleculeForceField(mol, props)
        ff.Initialize()
        status = ff.Minimize(maxIts=100000, forceTol=1e-2, energyTol=1e-6)
        best = min(best, time.perf_counter() - start)
    return best, status == 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--kelma")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--carbons", type=int, nargs="*", default=DEFAULT_CARBONS)
    args = parser.parse_args()
    if Chem is None:
        print("RDKit is not installed (Debian: python3-rdkit): no comparison made.")
        return
    kelma = os.path.realpath(args.kelma or os.path.join(args.build, "kelma"))
    alkane = os.path.join(os.path.realpath(args.build), "bench", "alkane")
    ratios = {size: [] for size in SIZE_CLASSES}
    print(f"{'molecule':>10} {'atoms':>5} | {'kelma s':>8} {'CPU s':>7} {'cycles':>6} | "
          f"{'MMFF94 s':>8} | {'MMFF94/kelma':>12}")
    with tempfile.TemporaryDirectory() as work:
        for carbons in args.carbons:
            name = os.path.join(work, f"c{carbons}")
            subprocess.run([alkane, str(carbons), name, "0"], check=True)
            atoms = 3 * carbons + 2
            with open(name + ".in") as f:
                text = f.read()
            wall, cpu, cycles = time_kelma(kelma, text, args.runs)
            mmff, converged = time_mmff94(name + ".mol2", args.runs)
            ratio = mmff / wall
            print(f"{'C%dH%d' % (carbons, 2 * carbons + 2):>10} {atoms:>5} | {wall:8.4f} "
                  f"{cpu:7.4f} {cycles:6d} | {mmff:8.4f} | {ratio:12.2f}"
                  + ("" if converged else "  (MMFF94 stopped before converging)"))
            for low, high in SIZE_CLASSES:
                if low <= atoms <= high:
                    ratios[(low, high)].append(ratio)
    for (low, high), values in ratios.items():
        if values:
            print(f"{low}-{high} atoms: median MMFF94/kelma {statistics.median(values):.2f} "
                  f"over {len(values)} molecules")
    print("load average: %s on %d cores" % (open("/proc/loadavg").read().split()[:3],
                                           os.cpu_count()))


if __name__ == "__main__":
    main()
