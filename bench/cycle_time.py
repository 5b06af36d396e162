#!/usr/bin/python3
"""Wall and CPU time of one kelma cycle, as a job script runs kelma (input and standard output
are files, in an empty folder): the whole run less a run of the same input stopped at its first
cycle ($nsteps 1: start-up, reading, set-up), over the cycles after the first. Each figure is
the median of --runs runs of both, taken in turn; --cpus is a taskset list (one CPU: one thread).

usage: bench/cycle_time.py KELMA INPUT... [--runs N] [--cpus LIST]
"""
import argparse
import os
import re
import resource
import statistics
import subprocess
import tempfile
import time


def child_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def run(kelma, cpus, path, work):
    """Wall and CPU seconds of one run of kelma on the file, and its standard output."""
    stdout = os.path.join(work, "stdout")
    with open(path, "rb") as fin, open(stdout, "wb") as fout:
        cpu0 = child_cpu()
        start = time.perf_counter()
        subprocess.run(["taskset", "-c", cpus, kelma], stdin=fin, stdout=fout,
                       stderr=subprocess.DEVNULL, cwd=work, check=True)
        wall = time.perf_counter() - start
        cpu = child_cpu() - cpu0
    with open(stdout) as f:
        return wall, cpu, f.read()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("kelma")
    parser.add_argument("inputs", nargs="+")
    parser.add_argument("--runs", type=int, default=11)
    parser.add_argument("--cpus", default="0")
    args = parser.parse_args()
    kelma = os.path.realpath(args.kelma)
    print(f"{'input':>16} {'atoms':>5} {'cycles':>6} | {'wall us':>9} {'CPU us':>9} (per cycle, "
          f"CPUs {args.cpus})")
    for path in args.inputs:
        with open(path, "rb") as f:
            text = f.read()
        atoms = int(re.search(rb"(?m)^\$natoms\s+(\d+)", text).group(1))
        with tempfile.TemporaryDirectory() as work:
            first = os.path.join(work, "first.in")
            with open(first, "wb") as f:
                f.write(re.sub(rb"(?m)^\$nsteps.*$", b"$nsteps 1", text))
            whole_runs, first_runs = [], []
            for _ in range(args.runs):
                first_runs.append(run(kelma, args.cpus, first, work)[:2])
                wall, cpu, out = run(kelma, args.cpus, os.path.realpath(path), work)
                whole_runs.append((wall, cpu))
        cycles = int([line for line in out.splitlines() if line.startswith("**")][-1].split()[1])

        def per_cycle(k):
            whole = statistics.median(r[k] for r in whole_runs)
            start = statistics.median(r[k] for r in first_runs)
            return (whole - start) / (cycles - 1) * 1e6

        name = os.path.splitext(os.path.basename(path))[0]
        print(f"{name:>16} {atoms:>5} {cycles:>6} | {per_cycle(0):9.1f} {per_cycle(1):9.1f}")
    print("load average: %s on %d cores" % (" ".join(open("/proc/loadavg").read().split()[:3]),
                                            os.cpu_count()))


if __name__ == "__main__":
    main()
