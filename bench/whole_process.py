"""Whole-process timings of one or more symmetry builds: every build runs every input RUNS times
(interleaved, in an empty folder, output discarded) and the median CPU time (user + system, from
the kernel's accounting of the child) and the median wall time are printed per input, and last
the median of those medians over all the inputs.
Usage: python3 whole_process.py [--runs N] PROGRAM... -- INPUT..."""
import os
import statistics
import sys
import tempfile
import time


def run_once(program, path):
    """One run in the current folder. posix_spawn starts the child without copying this
    interpreter's address space, so the child's CPU time is the program's own."""
    with open(path, "rb") as stdin, open(os.devnull, "wb") as sink:
        actions = [
            (os.POSIX_SPAWN_DUP2, stdin.fileno(), 0),
            (os.POSIX_SPAWN_DUP2, sink.fileno(), 1),
            (os.POSIX_SPAWN_DUP2, sink.fileno(), 2),
        ]
        start = time.perf_counter()
        pid = os.posix_spawn(program, [program], {}, file_actions=actions)
        _, _, usage = os.wait4(pid, 0)
        wall = time.perf_counter() - start
    return usage.ru_utime + usage.ru_stime, wall


def main(argv):
    runs = 21
    if argv[:1] == ["--runs"]:
        runs, argv = int(argv[1]), argv[2:]
    split = argv.index("--")
    programs = [os.path.realpath(p) for p in argv[:split]]
    inputs = [os.path.realpath(p) for p in argv[split + 1:]]
    os.chdir(tempfile.mkdtemp())
    print("input | " + " | ".join(f"{name} cpu ms / wall ms" for name in argv[:split]))
    medians = {p: ([], []) for p in programs}
    for path in inputs:
        cpu = {p: [] for p in programs}
        wall = {p: [] for p in programs}
        for _ in range(runs):
            for p in programs:
                c, w = run_once(p, path)
                cpu[p].append(c * 1e3)
                wall[p].append(w * 1e3)
        for p in programs:
            medians[p][0].append(statistics.median(cpu[p]))
            medians[p][1].append(statistics.median(wall[p]))
        name = os.path.basename(path.removesuffix("/input"))
        print(f"{name} | " + " | ".join(f"{medians[p][0][-1]:.2f} / {medians[p][1][-1]:.2f}"
                                        for p in programs), flush=True)
    print(f"median of {len(inputs)} | " + " | ".join(
        f"{statistics.median(medians[p][0]):.2f} / {statistics.median(medians[p][1]):.2f}"
        for p in programs))


if __name__ == "__main__":
    main(sys.argv[1:])
