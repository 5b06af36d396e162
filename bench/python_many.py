"""optimise_many on the 575 drug-like 3D molecules of RDKit's data sets (bzr.sdf, egfr.sdf and
cdk2.sdf from Debian's python3-rdkit, concatenated, hydrogens added): the whole road from the
SDF to the results (records cut, each read, typed and run by a worker process, symmetry on the
converged geometry), on 1 and on 2 worker processes, best of RUNS wall times each. Checks that
both give the same numbers and prints the ratio, the outcomes and the CPU time of the caller (the
requests, the answers made into results) and of the worker.
Usage: /usr/bin/python3 bench/python_many.py BUILD_DIR [--runs N]
(BUILD_DIR: a release build with the Python package, for example build/release)."""
import collections
import os
import pathlib
import resource
import sys
import tempfile
import time

SETS = ["/usr/share/RDKit/Projects/DbCLI/testData/bzr.sdf",
        "/usr/share/RDKit/Contrib/PBF/testData/egfr.sdf",
        "/usr/share/RDKit/Contrib/Fastcluster/testdata/cdk2.sdf"]


def numbers(results):
    """Every figure of every molecule, as bytes, so that two runs compare bit for bit."""
    found = []
    for r in results:
        done, group = r.optimisation, r.point_group
        found.append(
            (
                r.name,
                r.outcome,
                r.error,
                None if done is None else (done.energies.tobytes(), done.coordinates.tobytes()),
                None if group is None else (group.label, group.coordinates.tobytes()),
            )
        )
    return found


def workers_cpu():
    used = resource.getrusage(resource.RUSAGE_CHILDREN)
    return used.ru_utime + used.ru_stime


def timed(ks, files, path, workers, runs):
    """The best wall time, the CPU time of the caller and of the workers (per run) and the
    results."""
    best, results = float("inf"), None
    caller, children = time.process_time(), workers_cpu()
    for _ in range(runs):
        start = time.perf_counter()
        results = ks.optimise_many(files.stream(path, add_hydrogens=True), workers=workers,
                                   progress=False)
        best = min(best, time.perf_counter() - start)
    return best, (time.process_time() - caller) / runs, (workers_cpu() - children) / runs, results


def main(argv):
    build = pathlib.Path(argv[0]).resolve()
    options = dict(zip(argv[1::2], argv[2::2]))
    runs = int(options.get("--runs", 3))
    sys.path.insert(0, str(build / "python"))
    import kelma_symmetry as ks
    from kelma_symmetry import files

    with tempfile.TemporaryDirectory() as folder:
        path = pathlib.Path(folder) / "real575.sdf"
        path.write_text("".join(pathlib.Path(s).read_text() for s in SETS))
        print(f"{os.cpu_count()} CPUs, load {os.getloadavg()[0]:.2f}; best of {runs}")
        one, caller, children, alone = timed(ks, files, path, 1, runs)
        two, _, _, together = timed(ks, files, path, 2, runs)
    if numbers(alone) != numbers(together):
        sys.exit("the results on 2 workers differ from those on 1")
    outcomes = collections.Counter(r.outcome for r in alone)
    print(f"{len(alone)} molecules: {dict(outcomes)}")
    print(f"1 worker {one:.2f} s | 2 workers {two:.2f} s | ratio {one / two:.2f} | "
          f"load after {os.getloadavg()[0]:.2f}")
    print(f"CPU of a run on 1 worker: the caller {caller:.2f} s, the worker {children:.2f} s")


if __name__ == "__main__":
    main(sys.argv[1:])
