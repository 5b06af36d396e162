#!/usr/bin/python3
"""The 3D builders compared on molecules without 3D coordinates: RDKit's ETKDG with a fixed seed
(the tools' builder) and Open Babel's gen3D at its fast level (the tools' former one), on the
SMILES of a file and on a 2D SDF set made from a sample of them (RDKit's 2D coordinates, wedged
stereo bonds). For each set and builder: how many were built within the limit, the build time
(wall and processor, median and worst), the stereochemistry kept among the molecules that specify
some, the coordinates that a second run (in reversed order) gives again to 1e-6 A, and kelma's
convergence from the starts (ffbatch --stream -p kelma; for RDKit through the tools' own path,
which also says how many the default limit let through).

Usage: builds_3d.py BUILD_DIR OUT [--smiles FILE] [--ob-every N] [--sdf-every N] [--ob-seconds S]
BUILD_DIR holds ffbatch and kelma and bench/builds_3d (a build with -DBENCH=ON)."""

import argparse
import csv
import os
import statistics
import subprocess
import sys

from rdkit import Chem
from rdkit.Chem import AllChem

NCI = "/usr/share/RDKit/Data/NCI/first_5K.smi"
COLUMNS = ["index", "name", "outcome", "wall_ms", "cpu_ms", "stereo_given", "stereo_broken", "hash"]


def write_lines(path, lines):
    with open(path, "w", encoding="utf-8") as file:
        file.writelines(lines)
    return path


def sample(lines, every):
    return [line for k, line in enumerate(lines) if k % every == 0]


def write_2d_sdf(smiles_lines, path):
    """The molecules of the SMILES lines as a 2D SDF without hydrogens, stereo as wedges."""
    writer = Chem.SDWriter(path)
    for line in smiles_lines:
        smiles, name = line.split()[:2]
        mol = Chem.MolFromSmiles(smiles)
        if mol is None:
            continue
        AllChem.Compute2DCoords(mol)
        mol.SetProp("_Name", name)
        writer.write(mol)
    writer.close()
    return path


def reversed_sdf(path, out):
    with open(path, encoding="utf-8") as file:
        records = [r for r in file.read().split("$$$$\n") if r.strip()]
    return write_lines(out, [r + "$$$$\n" for r in reversed(records)])


def builds(build_dir, builder, path, seconds, out_stem):
    """The rows of one run of bench/builds_3d, by molecule name."""
    result = subprocess.run(
        [
            os.path.join(build_dir, "bench", "builds_3d"),
            builder,
            path,
            out_stem + ".sdf",
            str(seconds),
        ],
        check=True,
        capture_output=True,
        text=True,
    )
    rows = [dict(zip(COLUMNS, line.split("\t"))) for line in result.stdout.splitlines()]
    return {row["name"]: row for row in rows}


def kelma_outcomes(build_dir, path, out, extra=()):
    """kelma's outcome per molecule (skipped ones with their reason) through ffbatch --stream."""
    subprocess.run([os.path.join(build_dir, "ffbatch"), "--stream", "-p", "kelma", "-j", "2",
                    "-o", out, *extra, path], capture_output=True, check=False)
    outcomes = {}
    for table in sorted(
        f for f in os.listdir(out) if f.startswith("shard-") and f.endswith(".tsv")
    ):
        with open(os.path.join(out, table), encoding="utf-8") as file:
            for row in csv.DictReader(file, delimiter="\t"):
                outcomes[row["molecule"]] = (row["outcome"], row["detail"])
    return outcomes


def spread(values):
    if not values:
        return "-"
    return f"{statistics.median(values):.0f} / {max(values):.0f}"


def percent(part, whole):
    return f"{part}/{whole} ({100.0 * part / whole:.1f} %)" if whole else "-"


def summary(label, first, second, kelma):
    built = [r for r in first.values() if r["outcome"] == "built"]
    with_stereo = [r for r in built if int(r["stereo_given"]) > 0]
    kept = [r for r in with_stereo if int(r["stereo_broken"]) == 0]
    same = [r for r in built if second.get(r["name"], {}).get("hash") == r["hash"]]
    converged = [r for r in built if kelma.get(r["name"], ("", ""))[0] == "converged"]
    timeouts = sum(r["outcome"] == "timeout" for r in first.values())
    print(f"| {label} | {percent(len(built), len(first))} | {timeouts} "
          f"| {spread([float(r['wall_ms']) for r in first.values()])} "
          f"| {spread([float(r['cpu_ms']) for r in first.values()])} "
          f"| {percent(len(kept), len(with_stereo))} | {percent(len(same), len(built))} "
          f"| {percent(len(converged), len(built))} |")


def tools_path(label, outcomes):
    """What the tools' own path (ffbatch, default limit) made of the molecules."""
    skipped = {}
    for outcome, detail in outcomes.values():
        if outcome == "skipped":
            reason = (
                "time limit"
                if "longer" in detail
                else "stereo"
                if "stereochemistry" in detail
                else detail
            )
            skipped[reason] = skipped.get(reason, 0) + 1
    converged = sum(outcome == "converged" for outcome, _ in outcomes.values())
    print(f"{label}: {percent(converged, len(outcomes))} converged; skipped: {skipped}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build_dir")
    parser.add_argument("out")
    parser.add_argument("--smiles", default=NCI)
    parser.add_argument("--ob-every", type=int, default=50)
    parser.add_argument("--sdf-every", type=int, default=10)
    parser.add_argument("--ob-seconds", type=int, default=20)
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)

    def out(name):
        return os.path.join(args.out, name)
    with open(args.smiles, encoding="utf-8") as file:
        lines = [line for line in file if line.strip()]
    smiles = write_lines(out("all.smi"), lines)
    smiles_reversed = write_lines(out("reversed.smi"), list(reversed(lines)))
    ob_sample = write_lines(out("ob_sample.smi"), sample(lines, args.ob_every))
    ob_sample_reversed = write_lines(
        out("ob_sample_reversed.smi"), list(reversed(sample(lines, args.ob_every)))
    )
    sdf = write_2d_sdf(sample(lines, args.sdf_every), out("2d.sdf"))
    sdf_reversed = reversed_sdf(sdf, out("2d_reversed.sdf"))
    sdf_ob = write_2d_sdf(
        sample(sample(lines, args.sdf_every), args.ob_every // args.sdf_every or 1),
        out("2d_ob_sample.sdf"),
    )
    sdf_ob_reversed = reversed_sdf(sdf_ob, out("2d_ob_sample_reversed.sdf"))

    runs = {}
    for label, builder, first, second, seconds in [
        ("SMILES, RDKit ETKDGv3", "rdkit", smiles, smiles_reversed, 5),
        (
            "SMILES sample, Open Babel gen3D fast",
            "openbabel",
            ob_sample,
            ob_sample_reversed,
            args.ob_seconds,
        ),
        ("2D SDF, RDKit ETKDGv3", "rdkit", sdf, sdf_reversed, 5),
        (
            "2D SDF sample, Open Babel gen3D fast",
            "openbabel",
            sdf_ob,
            sdf_ob_reversed,
            args.ob_seconds,
        ),
    ]:
        stem = out(label.split(",")[0].replace(" ", "_") + "_" + builder)
        runs[label] = (
            builds(args.build_dir, builder, first, seconds, stem + "_1"),
            builds(args.build_dir, builder, second, seconds, stem + "_2"),
            stem + "_1.sdf",
        )
        print(f"built: {label}", file=sys.stderr)
    # The tools' own path builds the SMILES as bench/builds_3d does, so kelma runs once on them.
    tools_smiles = kelma_outcomes(args.build_dir, smiles, out("tools_smiles"))
    kelma = {label: tools_smiles if label.startswith("SMILES, RDKit") else
             kelma_outcomes(args.build_dir, built_sdf, out("kelma_" + os.path.basename(built_sdf)))
             for label, (_, _, built_sdf) in runs.items()}
    print("| set, builder | built | time limit | wall ms median / worst | CPU ms median / worst "
          "| stereo kept | same coordinates again | kelma converged |")
    print("|---|---|---|---|---|---|---|---|")
    for label, (first, second, _) in runs.items():
        summary(label, first, second, kelma[label])
    tools_path("ffbatch --stream on the SMILES", tools_smiles)
    tools_path(
        "ffbatch --stream on the 2D SDF",
        kelma_outcomes(args.build_dir, sdf, out("tools_2d"), ["--add-hydrogens"]),
    )


if __name__ == "__main__":
    main()
