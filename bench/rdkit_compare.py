#!/usr/bin/python3
"""Time to converge: kelma (the whole process: start, reading, set-up, cycles, output) against
RDKit's MMFF94 BFGS minimiser inside this process (no start-up or file reading on its side), from
the same starting coordinates: the straight-chain alkanes written by the alkane tool, or with
--molecules the molecules of a SMILES file (bench/real_molecules.smi), built in 3D and typed by
ffprep (into --prepared DIR when given, or taken from it when ffprep has written there before, so
that runs compare the same starts: Open Babel's 3D builder gives new ones every time). Each time
is the best of --runs. Prints one line per molecule and the median ratio
RDKit / kelma per size class. Without RDKit (Debian's python3-rdkit) it says so and stops.

usage: bench/rdkit_compare.py BUILD_DIR [--kelma KELMA] [--runs N]
                              [--carbons C ... | --molecules FILE.smi [--prepared DIR]]
       (BUILD_DIR configured with -DBENCH=ON: uses BUILD_DIR/bench/alkane or BUILD_DIR/ffprep,
       and BUILD_DIR/kelma unless --kelma names another build)
"""
import argparse
import glob
import os
import resource
import statistics
import subprocess
import tempfile
import time

try:
    from rdkit import Chem
    from rdkit.Chem import AllChem
    from rdkit import RDLogger

    RDLogger.DisableLog("rdApp.*")  # molecules it cannot read are reported in the table
except ImportError:
    Chem = None

SIZE_CLASSES = [(20, 59), (60, 159), (160, 500)]
DEFAULT_CARBONS = [7, 10, 13, 16, 19, 20, 27, 34, 41, 52, 60, 80, 100, 130, 160]


def child_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def time_kelma(kelma, path, runs):
    """Best wall and CPU seconds of a kelma run as a job script makes it (input and standard
    output are files), its last cycle number and whether it converged."""
    best_wall = best_cpu = float("inf")
    for _ in range(runs):
        with tempfile.TemporaryDirectory() as work:
            stdout = os.path.join(work, "stdout")
            with open(path, "rb") as fin, open(stdout, "wb") as fout:
                cpu0 = child_cpu()
                start = time.perf_counter()
                subprocess.run([kelma], stdin=fin, stdout=fout, cwd=work, check=True)
                best_wall = min(best_wall, time.perf_counter() - start)
                best_cpu = min(best_cpu, child_cpu() - cpu0)
            with open(stdout) as f:
                out = f.read()
    cycles = int([line for line in out.splitlines() if line.startswith("**")][-1].split()[1])
    return best_wall, best_cpu, cycles, "\n!" in out


def time_mmff94(mol2, runs):
    """Best seconds of RDKit's MMFF94 set-up and minimisation, and whether it converged; None
    when RDKit cannot read the molecule or has no MMFF94 parameters for it."""
    best = float("inf")
    status = 0
    for _ in range(runs):
        mol = Chem.MolFromMol2File(mol2, removeHs=False)
        if mol is None or not AllChem.MMFFHasAllMoleculeParams(mol):
            return None, False
        start = time.perf_counter()
        props = AllChem.MMFFGetMoleculeProperties(mol)
        ff = AllChem.MMFFGetMoleculeForceField(mol, props)
        ff.Initialize()
        status = ff.Minimize(maxIts=100000, forceTol=1e-2, energyTol=1e-6)
        best = min(best, time.perf_counter() - start)
    return best, status == 0


def alkanes(build, carbons, work):
    """(name, atoms, input, mol2) of the alkanes with the given carbon counts."""
    alkane = os.path.join(build, "bench", "alkane")
    for count in carbons:
        base = os.path.join(work, f"c{count}")
        subprocess.run([alkane, str(count), base, "0"], check=True)
        yield "C%dH%d" % (count, 2 * count + 2), 3 * count + 2, base + ".in", base + ".mol2"


def prepared(build, smiles_file, work):
    """(name, atoms, input, mol2) of every molecule ffprep writes from the SMILES file, by size;
    a folder that holds inputs already is read as it is."""
    if not glob.glob(os.path.join(work, "*.in")):
        subprocess.run([os.path.join(build, "ffprep"), "-o", work, "--print", "0", smiles_file],
                       check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    found = []
    for path in glob.glob(os.path.join(work, "*.in")):
        with open(path) as f:
            atoms = int(next(line.split()[1] for line in f if line.startswith("$natoms")))
        base = path[:-3]
        found.append((os.path.basename(base), atoms, path, base + ".mol2"))
    return sorted(found, key=lambda entry: entry[1])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--kelma")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--carbons", type=int, nargs="*", default=DEFAULT_CARBONS)
    parser.add_argument("--molecules")
    parser.add_argument("--prepared")
    args = parser.parse_args()
    if Chem is None:
        print("RDKit is not installed (Debian: python3-rdkit): no comparison made.")
        return
    build = os.path.realpath(args.build)
    kelma = os.path.realpath(args.kelma or os.path.join(build, "kelma"))
    ratios = {size: [] for size in SIZE_CLASSES}
    print(f"{'molecule':>14} {'atoms':>5} | {'kelma s':>8} {'CPU s':>7} {'cycles':>6} | "
          f"{'MMFF94 s':>8} | {'MMFF94/kelma':>12}")
    with tempfile.TemporaryDirectory() as work:
        if args.molecules:
            folder = args.prepared or work
            os.makedirs(folder, exist_ok=True)
            molecules = prepared(build, os.path.realpath(args.molecules), folder)
        else:
            molecules = alkanes(build, args.carbons, work)
        for name, atoms, path, mol2 in molecules:
            wall, cpu, cycles, kelma_converged = time_kelma(kelma, path, args.runs)
            mmff, converged = time_mmff94(mol2, args.runs)
            if mmff is None:
                print(f"{name:>14} {atoms:>5} | {wall:8.4f} {cpu:7.4f} {cycles:6d} | RDKit cannot "
                      "type it for MMFF94: not compared")
                continue
            ratio = mmff / wall
            print(
                f"{name:>14} {atoms:>5} | {wall:8.4f} {cpu:7.4f} {cycles:6d} | {mmff:8.4f} | "
                f"{ratio:12.2f}"
                + ("" if kelma_converged else "  (kelma reached its cycle limit)")
                + ("" if converged else "  (MMFF94 stopped before converging)")
            )
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
