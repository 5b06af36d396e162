#!/usr/bin/python3
"""A library at scale: ffbatch --stream against RDKit and Open Babel's obminimize, each reading
an SDF of real drug-like molecules, adding hydrogens, optimising every molecule and writing an
SDF of the results.

The library is the three 3D SDF sets that Debian's RDKit package ships (bzr, egfr, cdk2: 575
molecules), repeated under new names up to --molecules. Each side gets the library's first
molecules (all for ffbatch, --peer-molecules for RDKit and --ob-molecules for the slower
obminimize: the peers' cost per molecule does not depend on the library's length), and is
measured by:
- CPU seconds (user + system, children included) and molecules per CPU second: the throughput
  per core;
- the peak resident memory of the whole process tree, sampled every 0.2 s;
- the files written.
ffbatch includes reading, typing, kelma, symmetry and both outputs; RDKit (in this process)
reading, AddHs with coordinates, MMFF94 set-up, MMFFOptimizeMolecule (at its default of 200
iterations, and to convergence) and SDWriter; obminimize (MMFF94, conjugate gradients, its
defaults) reading, hydrogens, set-up, minimisation and writing.

usage: bench/library_scale.py BUILD_DIR [--molecules N] [--peer-molecules M] [--ob-molecules K]
                              [-j W] [--work DIR]
"""
import argparse
import os
import pathlib
import resource
import subprocess
import sys
import time

RDKIT_SETS = [
    "/usr/share/RDKit/Projects/DbCLI/testData/bzr.sdf",
    "/usr/share/RDKit/Contrib/PBF/testData/egfr.sdf",
    "/usr/share/RDKit/Contrib/Fastcluster/testdata/cdk2.sdf",
]
SAMPLE_SECONDS = 0.2
PAGE_KB = os.sysconf("SC_PAGE_SIZE") // 1024


def records(path):
    """The molecule records of an SDF, each ending with its $$$$ line."""
    text = pathlib.Path(path).read_text()
    return [r + "$$$$\n" for r in text.split("$$$$\n") if r.strip()]


def write_library(path, count):
    """The real sets repeated under new names (the title gets _K for the K-th repetition)."""
    base = [r for s in RDKIT_SETS for r in records(s)]
    with open(path, "w") as out:
        for n in range(count):
            title, rest = base[n % len(base)].split("\n", 1)
            out.write(f"{title.strip() or 'molecule'}_{n // len(base)}\n{rest}")


def tree_rss_kb(root):
    """Resident memory of root and all its descendants, in KiB."""
    children = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                fields = pathlib.Path(f"/proc/{entry}/stat").read_text().rsplit(")", 1)[1].split()
                children.setdefault(int(fields[1]), []).append(int(entry))
            except (OSError, IndexError):
                pass
    total, stack = 0, [root]
    while stack:
        pid = stack.pop()
        try:
            total += int(pathlib.Path(f"/proc/{pid}/statm").read_text().split()[1]) * PAGE_KB
        except OSError:
            pass
        stack.extend(children.get(pid, []))
    return total


def measure(command, cwd):
    """Wall and CPU seconds and peak tree memory (MiB) of a command."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    process = subprocess.Popen(command, cwd=cwd, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    peak = 0
    while process.poll() is None:
        peak = max(peak, tree_rss_kb(process.pid))
        time.sleep(SAMPLE_SECONDS)
    wall = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return wall, cpu, peak / 1024, process.returncode


def files_under(folder):
    return sum(len(files) for _, _, files in os.walk(folder))


RDKIT_RUN = """
import sys
from rdkit import Chem, RDLogger
from rdkit.Chem import AllChem
RDLogger.DisableLog("rdApp.*")
source, target, iterations = sys.argv[1], sys.argv[2], int(sys.argv[3])
writer = Chem.SDWriter(target)
for mol in Chem.SDMolSupplier(source, removeHs=False):
    if mol is None:
        continue
    mol = Chem.AddHs(mol, addCoords=True)
    if AllChem.MMFFHasAllMoleculeParams(mol):
        AllChem.MMFFOptimizeMolecule(mol, maxIters=iterations)
    writer.write(mol)
writer.close()
"""


def report(name, molecules, wall, cpu, peak, files):
    print(f"{name:42s} {molecules:8d} {wall:9.1f} {cpu:9.1f} {molecules / cpu:10.1f} "
          f"{1000 * cpu / molecules:8.2f} {peak:8.0f} {files:6d}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--molecules", type=int, default=100000)
    parser.add_argument("--peer-molecules", type=int, default=10000)
    parser.add_argument("--ob-molecules", type=int, default=1000)
    parser.add_argument("-j", type=int, default=2)
    parser.add_argument("--work", default="/tmp/library_scale")
    args = parser.parse_args()
    build = pathlib.Path(args.build).resolve()
    work = pathlib.Path(args.work)
    work.mkdir(parents=True, exist_ok=True)
    library, peers, ob = work / "library.sdf", work / "peers.sdf", work / "obminimize-input.sdf"
    write_library(library, args.molecules)
    write_library(peers, args.peer_molecules)
    write_library(ob, args.ob_molecules)
    print(f"{'side':42s} {'mols':>8s} {'wall s':>9s} {'cpu s':>9s} {'mols/cpu-s':>10s} "
          f"{'ms/mol':>8s} {'peak MiB':>8s} {'files':>6s}")
    for name, source, count in (("ffbatch --stream (library)", library, args.molecules),
                                ("ffbatch --stream (RDKit's molecules)", peers,
                                 args.peer_molecules),
                                ("ffbatch --stream (obminimize's molecules)", ob,
                                 args.ob_molecules)):
        out = work / "stream"
        subprocess.run(["rm", "-rf", str(out)], check=True)
        wall, cpu, peak, _ = measure([str(build / "ffbatch"), "--stream", "-j", str(args.j),
                                      "--add-hydrogens", "-o", str(out), str(source)], work)
        report(name, count, wall, cpu, peak, files_under(out))
    for iterations, label in ((200, "RDKit MMFF94, 200 iterations"),
                              (100000, "RDKit MMFF94, to convergence")):
        target = work / "rdkit.sdf"
        wall, cpu, peak, _ = measure([sys.executable, "-c", RDKIT_RUN, str(peers), str(target),
                                      str(iterations)], work)
        report(label, args.peer_molecules, wall, cpu, peak, 1)
    wall, cpu, peak, _ = measure(["sh", "-c", f"obminimize -ff MMFF94 -h -osdf {ob} "
                                  f"> {work / 'obminimize.sdf'}"], work)
    report("obminimize MMFF94", args.ob_molecules, wall, cpu, peak, 1)


if __name__ == "__main__":
    main()
