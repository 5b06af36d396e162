#!/usr/bin/env python3
"""Makes a large streamed batch folder from a small one, for ffreport's timings at library scale:
the molecules of SOURCE (a folder of ffbatch --stream) repeated under new names ("NAME_rK" for
the K-th copy, its SDF record titled so) until there are COUNT, cut into shards of --shard-size
molecules as ffbatch cuts them, with status.tsv the shards' tables one after the other.

usage: report_library.py SOURCE OUT COUNT [--shard-size N]
"""
import argparse
import pathlib

SHARD_DIGITS = 6
RECORD_END = "$$$$\n"


def has_geometry(rows):
    """Whether kelma recorded cycles: then the molecule has a record in the SDF."""
    return any(row.split("\t")[2] == "kelma" and row.split("\t")[4] != "-" for row in rows)


def source_molecules(folder):
    """The molecules of a streamed folder in order: (name, status lines, SDF record or None)."""
    lines = (folder / "status.tsv").read_text().splitlines(keepends=True)
    header, molecules = lines[0], []
    for line in lines[1:]:
        name = line.split("\t", 1)[0]
        if not molecules or molecules[-1][0] != name:
            molecules.append((name, []))
        molecules[-1][1].append(line)
    records = [record.split("\n", 1)[1]
               for sdf in sorted(folder.glob("shard-*.sdf"))
               for record in sdf.read_text().split(RECORD_END) if record.strip()]
    records.reverse()
    return header, [(name, rows, records.pop() if has_geometry(rows) else None)
                    for name, rows in molecules]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("source", type=pathlib.Path)
    parser.add_argument("out", type=pathlib.Path)
    parser.add_argument("count", type=int)
    parser.add_argument("--shard-size", type=int, default=10000)
    args = parser.parse_args()
    header, molecules = source_molecules(args.source)
    args.out.mkdir(parents=True, exist_ok=True)
    with open(args.out / "status.tsv", "w") as status:
        status.write(header)
        for first in range(0, args.count, args.shard_size):
            stem = args.out / f"shard-{first // args.shard_size + 1:0{SHARD_DIGITS}d}"
            table, sdf = [header], []
            for k in range(first, min(first + args.shard_size, args.count)):
                name, rows, record = molecules[k % len(molecules)]
                copy = f"{name}_r{k // len(molecules)}"
                table += [copy + row[len(name):] for row in rows]
                if record is not None:
                    sdf.append(copy + "\n" + record + RECORD_END)
            stem.with_suffix(".tsv").write_text("".join(table))
            stem.with_suffix(".sdf").write_text("".join(sdf))
            status.write("".join(table[1:]))


if __name__ == "__main__":
    main()
