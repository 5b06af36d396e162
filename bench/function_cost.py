#!/usr/bin/python3
"""What a change of a few routines costs a kelma run, from profiles rather than clocks: two builds
that differ only in those routines, each profiled (perf record, one CPU) on every input, and the
share of the samples that fall in the routines (symbols matching --symbols). With the rest of the
run the same in both, the run of the second build takes (1 - s1) / (1 - s2) times the first's,
s1 and s2 the two shares. Shares are taken within one run, so they hold on a machine whose speed
drifts from run to run, where clock times of the two builds can differ by tens of percent. The
growth of a cycle's time is that of the run over the cycles' part of it: the run's samples less
those of the same input stopped at its first cycle ($nsteps 1: start-up, reading, set-up).

usage: bench/function_cost.py KELMA_BEFORE KELMA_AFTER INPUT... [--runs N] [--symbols REGEX]
"""
import argparse
import math
import os
import re
import statistics
import subprocess
import tempfile
import time

# The trigonometric routines of both builds: the C library's (and its processor variants) and
# the project's own.
DEFAULT_SYMBOLS = r"acos|__cos|__sin|portable::|careful_|sine_cosine|_fused"
# CPU seconds each profile covers.
PROFILE_SECONDS = 1.0


def profile(kelma, path, symbols, work, repeats):
    """The samples of repeats runs in a row and the percent of them in the matching symbols."""
    data = os.path.join(work, "perf.data")
    script = f'for i in $(seq {repeats}); do "$0" <"$1" >/dev/null 2>&1; done'
    subprocess.run(["taskset", "-c", "0", "perf", "record", "-q", "-F", "20000", "-o", data,
                    "sh", "-c", script, kelma, path], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, cwd=work, check=True)
    report = subprocess.run(["perf", "report", "-i", data, "--stdio", "--no-children", "--sort",
                             "sym"], capture_output=True, text=True, check=True).stdout
    samples = int(re.search(r"# Samples: (\d+)", report).group(1))
    total = 0.0
    for line in report.splitlines():
        match = re.match(r"\s*([0-9.]+)%\s+\[\.\]\s+(.*)", line)
        if match and re.search(symbols, match.group(2)):
            total += float(match.group(1))
    return samples, total


def repeats_for(kelma, path, work):
    """Runs in a row that take about PROFILE_SECONDS, so that small molecules get samples enough."""
    start = time.perf_counter()
    with open(path, "rb") as fin:
        subprocess.run([kelma], stdin=fin, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       cwd=work, check=True)
    return max(1, math.ceil(PROFILE_SECONDS / (time.perf_counter() - start)))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("before")
    parser.add_argument("after")
    parser.add_argument("inputs", nargs="+")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--symbols", default=DEFAULT_SYMBOLS)
    args = parser.parse_args()
    builds = [os.path.realpath(args.before), os.path.realpath(args.after)]
    print(f"{'input':>16} | {'share before %':>14} {'share after %':>13} | "
          f"{'run after / before':>18} {'cycle after / before':>20}")
    for path in args.inputs:
        shares = [[], []]
        samples = {"whole": [], "first": []}
        with tempfile.TemporaryDirectory() as work:
            first = os.path.join(work, "first.in")
            with open(path, "rb") as f:
                text = f.read()
            with open(first, "wb") as f:
                f.write(re.sub(rb"(?m)^\$nsteps.*$", b"$nsteps 1", text))
            whole = os.path.realpath(path)
            repeats = repeats_for(builds[0], whole, work)
            for _ in range(args.runs):
                for b, kelma in enumerate(builds):
                    count, percent = profile(kelma, whole, args.symbols, work, repeats)
                    shares[b].append(percent)
                    if b == 0:
                        samples["whole"].append(count)
                        samples["first"].append(
                            profile(kelma, first, args.symbols, work, repeats)[0])
        s1, s2 = (statistics.median(s) / 100 for s in shares)
        run_ratio = (1 - s1) / (1 - s2)
        cycles_part = 1 - statistics.median(samples["first"]) / statistics.median(samples["whole"])
        name = os.path.splitext(os.path.basename(path))[0]
        print(f"{name:>16} | {100 * s1:14.2f} {100 * s2:13.2f} | {run_ratio:18.4f} "
              f"{1 + (run_ratio - 1) / cycles_part:20.4f}")


if __name__ == "__main__":
    main()
