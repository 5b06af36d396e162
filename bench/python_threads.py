"""Molecules on Python threads: the package's optimise and point_group release the interpreter
lock while the program runs, so threads of one process run molecules at once. Times optimise on
40 molecules (the kelma examples, then the molecules of examples/molecules.mol2 and of
real_molecules.smi as ffprep prepares them) and point_group on 40 (the symmetry examples, then the
same set) on 1 and on 2 threads, best of RUNS wall times each, checks that the results are the
same both ways and prints the ratio.
Usage: /usr/bin/python3 bench/python_threads.py BUILD_DIR [--runs N] [--molecules N]
(BUILD_DIR: a release build with the Python package and ffprep, for example build/release)."""
import concurrent.futures
import os
import pathlib
import subprocess
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent


def prepared_inputs(build, folder, count):
    """The first count keyword inputs of the set, in its order (ffprep skips what it cannot
    prepare)."""
    inputs = sorted((ROOT / "examples" / "kelma").glob("*.in"))
    smiles = (ROOT / "bench" / "real_molecules.smi").read_text().splitlines(keepends=True)
    (folder / "real_molecules.smi").write_text("".join(smiles[:count]))
    for source in [ROOT / "examples" / "molecules.mol2", folder / "real_molecules.smi"]:
        out = folder / source.stem
        out.mkdir()
        listed = subprocess.run([build / "ffprep", "-o", out, "--print", "0", source],
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout
        inputs += [pathlib.Path(line) for line in listed.split()]
    return inputs[:count]


def timed(threads, task, molecules, runs):
    """The best wall time of running task on every molecule with the threads, and the results."""
    best = float("inf")
    for _ in range(runs):
        start = time.perf_counter()
        with concurrent.futures.ThreadPoolExecutor(max_workers=threads) as pool:
            results = list(pool.map(task, molecules))
        best = min(best, time.perf_counter() - start)
    return best, results


def main(argv):
    build = pathlib.Path(argv[0]).resolve()
    options = dict(zip(argv[1::2], argv[2::2]))
    runs = int(options.get("--runs", 5))
    count = int(options.get("--molecules", 40))
    sys.path.insert(0, str(build / "python"))
    import kelma_symmetry as ks

    with tempfile.TemporaryDirectory() as folder:
        inputs = prepared_inputs(build, pathlib.Path(folder), count)
        kelma = [ks.read_kelma_input(path) for path in inputs]
        examples = sorted((ROOT / "examples" / "symmetry").glob("*.in"))
        symmetry = [ks.read_symmetry_input(path) for path in examples + inputs][:count]
    print(f"{os.cpu_count()} CPUs; best of {runs}")
    tasks = {
        "optimise": (lambda k: ks.optimise(k.coordinates, k.types, k.bonds, records=False,
                                           **k.settings).coordinates.tobytes(),
                     kelma),
        "point_group": (lambda s: ks.point_group(s.coordinates, s.elements, records=False,
                                                 **s.settings).label,
                        symmetry),
    }
    print("call | molecules (atoms) | 1 thread s | 2 threads s | ratio")
    for name, (task, molecules) in tasks.items():
        one, alone = timed(1, task, molecules, runs)
        two, together = timed(2, task, molecules, runs)
        if alone != together:
            sys.exit(f"{name}: the results on 2 threads differ from those on 1")
        atoms = sorted(len(m.coordinates) for m in molecules)
        print(f"{name} | {len(molecules)} ({atoms[0]} - {atoms[-1]}) | {one:.3f} | {two:.3f} | "
              f"{one / two:.2f}")


if __name__ == "__main__":
    main(sys.argv[1:])
