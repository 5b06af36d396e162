#!/usr/bin/env python3
"""Holds kelma's optimisation records against the Tripos 5.2 force field worked out here, apart
from the program: the keyword input read afresh, the bends, torsions and out-of-plane centres
enumerated from the bonds, the parameters looked up in the tables below, the energy summed term
by term and the gradient taken by central differences of that energy (so no formula of the
program's analytic gradient is shared).

For every run that writes cycle records it checks
- cycle 1: its energy (hartree) and RMS force (hartree/bohr) are those of the input geometry;
- every cycle whose predecessor is recorded (no line search between them): its figures are those
  of the geometry written after the predecessor;
- a converged run: the last record's figures are those of its final geometry, whose RMS force is
  below $gtol, and its energy fell by less than $etol over the last cycle.
Printed figures may differ from the recomputed ones by one unit in their last decimal. Runs that
end in an input rejection, a numbered report or the workspace stop evaluate no energy and are
skipped; a run stopped by the cycle limit is checked up to its last record.

Usage: kelma_expectations.py [--kelma PROGRAM] PATH...
PATH is a case folder (input, stdout and, where written, stderr and exit_code), whose recorded
output is checked; a keyword input file, which PROGRAM runs in an empty temporary folder; or a
folder of them (its subfolders holding an input for kelma, and its *.in files).
"""
import argparse
import math
import pathlib
import re
import struct
import subprocess
import sys
import tempfile
from dataclasses import dataclass, field

HARTREE_PER_KCAL = 0.0015936
ANGSTROM_PER_BOHR = 0.529177
DEGREES_PER_RADIAN = 57.295779513264755
ENERGY_UNIT = 1e-9  # last printed decimal of a cycle record's energy (F16.9)
RMSG_UNIT = 1e-5  # last printed decimal of its RMS force (F8.5)
EARLY_EXIT_FACTOR = 0.1  # a run ends at once when the RMS force is below this part of $gtol
DIFFERENCE_STEP = 1e-5  # Angstrom, central differences of the energy
RECORD_LENGTH = 80
MISSING_TYPE = 32  # what an atom type below 1 becomes
HYDROGEN, CARBONYL_OXYGEN = 13, 9
DEGENERATE_SINE = 1e-8  # a torsion with a bond angle of a smaller sine has no term
OUT_OF_PLANE_MIN_HEIGHT = 1e-8  # a smaller (or negative) triple product gives no term
DEFAULT_BOND_CONSTANT = 600.0
DEFAULT_ANGLE_CONSTANT = 0.02
RUN_LIMIT = 120  # seconds for one run of the program

# Per type 1..32: van der Waals radius (stored in single precision) and well depth.
RADII = [1.7, 1.7, 1.7, 1.7, 1.55, 1.55, 1.55, 1.52, 1.52, 1.8, 1.55, 1.8, 1.5, 1.85, 1.75, 1.47,
         1.98, 1.8, 1.55, 0, 1.2, 1.2, 1.2, 1.2, 1.2, 0, 1.2, 1.55, 1.7, 1.7, 1.55, 0]
WELL_DEPTHS = [0.107, 0.107, 0.107, 0.107, 0.095, 0.095, 0.095, 0.116, 0.116, 0.314, 0.095,
               0.314, 0.042, 0.434, 0.314, 0.109, 0.623, 0.314, 0.095, 0, 0.4, 0.4, 0.6, 0.4,
               0.042, 0, 0.042, 0.095, 0.314, 0.314, 0.095, 1.0]
OUT_OF_PLANE_CONSTANTS = {2: 480.0, 3: 480.0, 6: 120.0, 11: 120.0, 19: 120.0, 28: 120.0}
# A hydrogen bonded to one of these does not see a van der Waals partner of the second kind.
HYDROGEN_CARRIERS = {5, 6, 8, 16, 19, 28, 31}
HYDROGEN_PARTNERS = {5, 6, 7, 8, 9, 11, 16}

# The tables in row order. Bonds: type-type/code r0 k; angles: end-apex-end theta0 k (each apex
# type's rows together; the one row whose apex type has no block is left out); torsions:
# a-b-c-d/code V n. A 0 matches no atom's type: its rows serve the generic look-ups and the
# fallbacks.
BOND_ROWS = """
4-4/3 1.204 1400; 4-4/1 1.38 700; 14-2/1 1.89 500; 4-2/1 1.44 1340; 4-2/2 1.44 1340;
2-2/2 1.335 1340; 2-2/1 1.47 700; 4-1/1 1.458 640; 2-1/1 1.501 639; 1-1/1 1.54 633.6;
14-3/1 1.85 500; 4-3/1 1.44 1340; 2-3/1 1.51 1340; 1-3/1 1.525 640; 3-3/5 1.395 1400;
3-3/1 1.48 1000; 2-15/1 1.75 520; 1-15/1 1.767 600; 3-15/1 1.75 513.36; 2-16/1 1.33 1200;
1-16/1 1.36 600; 3-16/1 1.33 500; 0-13/1 1.008 700; 4-13/1 1.056 700; 2-13/1 1.089 692;
1-13/1 1.1 662.4; 3-13/1 1.084 692; 3-17/1 2.05 490; 4-7/3 1.158 1600; 4-6/1 1.33 1300;
4-6/2 1.33 1300; 2-6/2 1.27 1305.94; 2-6/1 1.444 1300; 1-6/1 1.44 760.2; 3-6/1 1.346 1305.94;
6-6/2 1.346 1305.94; 6-6/1 1.418 1300; 2-5/1 1.33 1300; 1-5/1 1.47 760; 3-5/1 1.41 720;
13-5/1 1.08 692; 2-31/1 1.33 1300; 1-31/1 1.47 760; 3-31/1 1.41 720; 2-28/4 1.345 870.1;
2-28/1 1.345 870.1; 1-28/1 1.45 677.6; 3-28/1 1.416 1090.08; 13-28/1 1 700; 6-28/1 1.44 667.6;
28-28/1 1.45 744.48; 3-11/5 1.346 1305.94; 11-11/5 1.33 1400; 2-19/1 1.3 1200; 1-19/1 1.45 676;
3-19/1 1.35 1306; 13-19/1 1.03 692; 6-19/1 1.35 1305.94; 2-9/2 1.22 1555.2; 28-9/1 1.24 1120;
19-9/2 1.21 680; 2-8/1 1.33 699.84; 1-8/1 1.43 618.9; 3-8/1 1.39 700; 13-8/1 0.95 1007.5;
6-8/1 1.405 1200; 19-8/1 1.4 620; 8-8/1 1.48 1172.16; 1-12/1 1.83 407.6; 9-12/1 1.49 1400;
9-12/2 1.49 1400; 8-12/1 1.6 800; 2-18/2 1.71 400; 1-18/1 1.8 381.6; 3-18/1 1.74 700;
2-10/1 1.78 360; 1-10/1 1.817 381.6; 3-10/1 1.77 360; 5-10/1 1.625 360; 31-10/1 1.625 360;
9-10/2 1.45 600; 10-10/1 2.03 600; 2-29/1 1.71 360; 1-29/1 1.8 381.6; 9-29/2 1.45 600;
8-29/1 1.5 600; 1-30/1 1.8 381.6; 9-30/2 1.45 600; 8-30/1 1.5 600; 27-1/1 1.84 600;
27-2/1 1.84 600; 27-3/1 1.84 600; 27-4/1 1.84 600; 27-8/1 1.62 600; 27-27/1 2.29 600;
4-5/1 1.48 600; 4-8/1 1.39 600; 4-10/1 1.82 600; 4-19/1 1.48 600; 4-28/1 1.48 600; 5-5/1 1.46 600;
5-6/1 1.47 600; 5-8/1 1.407 600; 5-19/1 1.47 600; 5-28/1 1.47 600; 6-10/1 1.67 600;
8-10/1 1.54 600; 8-28/1 1.407 600; 10-19/1 1.67 600; 10-28/1 1.67 600; 19-19/1 1.48 600;
19-28/1 1.48 600; 7-7/3 1.098 500; 9-9/2 1.208 500; 13-13/1 0.742 500; 13-14/1 1.414 500;
13-15/1 1.275 500; 13-16/1 0.917 500; 13-17/1 1.609 500; 13-21/1 1.887 500; 13-22/1 2.243 500;
13-24/1 1.596 500; 24-14/1 2.17 500; 24-15/1 2.021 500; 24-16/1 1.564 500; 24-17/1 2.392 500;
24-21/1 2.873 500; 24-22/1 3.286 500; 24-24/1 2.673 500; 16-14/1 1.759 500; 16-15/1 1.628 500;
16-16/1 1.412 500; 16-17/1 1.91 500; 16-21/1 1.926 500; 16-22/1 2.172 500; 21-14/1 2.504 500;
21-15/1 2.361 500; 21-17/1 2.711 500; 21-21/1 3.078 500; 21-22/1 3.44 500; 22-14/1 2.825 500;
22-15/1 2.668 500; 22-17/1 3.048 500; 22-22/1 3.92 500; 15-14/1 2.136 500; 15-15/1 1.988 500;
15-17/1 2.321 500; 14-14/1 2.288 500; 14-17/1 2.469 500; 17-17/1 2.666 500;
"""
ANGLE_ROWS = """
0-4-0 180 0.04; 4-4-2 180 0.04; 2-4-7 180 0.04; 1-4-7 180 0.04; 3-4-7 180 0.04; 7-4-8 180 0.04;
0-2-0 120 0.024; 14-2-14 120 0.02; 14-2-2 120 0.036; 2-2-2 121.7 0.018; 4-2-1 120 0.024;
2-2-1 121 0.024; 1-2-1 116.4 0.046; 4-2-3 120 0.024; 2-2-3 120 0.026; 1-2-3 120 0.024;
3-2-3 120 0.024; 2-2-15 120 0.036; 3-2-15 120 0.036; 15-2-15 122 0.03; 0-2-13 120 0.012;
4-2-6 123 0.07; 2-2-6 120 0.024; 1-2-6 118 0.02; 3-2-6 120 0.04; 2-2-5 120 0.024; 1-2-5 118 0.04;
6-2-5 121.8 0.03; 5-2-5 116.4 0.03; 2-2-28 120 0.024; 1-2-28 117 0.02; 3-2-28 120 0.04;
6-2-28 123 0.07; 28-2-28 120 0.03; 2-2-19 120 0.024; 1-2-19 117 0.02; 6-2-19 123 0.07;
4-2-9 120 0.06; 2-2-9 120 0.026; 1-2-9 120 0.026; 3-2-9 120 0.026; 5-2-9 120 0.026;
28-2-9 123 0.03; 19-2-9 123 0.03; 2-2-8 120 0.072; 1-2-8 114 0.03; 3-2-8 120 0.03;
28-2-8 110.5 0.014; 9-2-8 120 0.03; 6-2-10 125.6 0.028; 28-2-10 111.5 0.03; 9-2-10 125 0.016;
0-1-0 109.5 0.02; 2-1-2 109.5 0.018; 4-1-1 109.5 0.024; 2-1-1 109.5 0.018; 1-1-1 109.5 0.024;
2-1-3 109.47 0.018; 1-1-3 109.5 0.024; 3-1-3 109.5 0.018; 1-1-15 109.5 0.02; 15-1-15 109.5 0.02;
3-1-16 110 0.024; 16-1-16 109.5 0.04; 0-1-13 109.5 0.016; 2-1-13 110 0.016; 13-1-13 109.5 0.024;
1-1-6 109.5 0.018; 2-1-5 109.5 0.018; 1-1-5 109.5 0.024; 3-1-5 109.5 0.018; 2-1-28 109.5 0.022;
1-1-28 109.5 0.018; 3-1-28 109.5 0.02; 13-1-28 110 0.02; 6-1-28 109.5 0.02; 28-1-28 109.5 0.04;
16-1-11 109.5 0.04; 2-1-19 109.5 0.018; 1-1-19 109.5 0.02; 3-1-19 109.5 0.02; 2-1-8 109.5 0.022;
1-1-8 109.5 0.022; 3-1-8 109.5 0.018; 28-1-8 109.5 0.02; 8-1-8 109.5 0.02; 1-1-12 112 0.014;
2-1-18 109.5 0.018; 1-1-18 109.5 0.018; 28-1-18 109.5 0.04; 2-1-10 107.8 0.018; 1-1-10 107.8 0.018;
3-1-10 107.8 0.018; 28-1-10 109.5 0.024; 8-1-10 107.8 0.02; 0-3-0 120 0.024; 14-3-3 120 0.036;
2-3-3 120 0.024; 1-3-3 120 0.024; 3-3-3 120 0.024; 3-3-15 120 0.036; 3-3-16 120 0.036;
3-3-17 120 0.036; 1-3-6 120 0.04; 3-3-6 120 0.04; 6-3-6 120 0.04; 3-3-5 120 0.062;
3-3-28 120 0.062; 6-3-28 118 0.04; 28-3-28 120 0.03; 2-3-11 120 0.04; 1-3-11 120 0.04;
3-3-11 120 0.024; 28-3-11 118 0.04; 1-3-19 120 0.04; 3-3-19 120 0.04; 6-3-19 120 0.04;
28-3-19 120 0.04; 19-3-19 120 0.04; 1-3-8 120 0.04; 3-3-8 120 0.062; 3-3-18 120 0.062;
3-3-10 120 0.062; 0-7-0 180 0.08; 0-6-0 120 0.04; 4-6-2 120 0.04; 2-6-2 123 0.08; 2-6-1 110 0.082;
2-6-3 123 0.08; 1-6-3 110 0.082; 3-6-3 120 0.04; 2-6-6 112 0.044; 1-6-6 118 0.04; 3-6-6 118 0.04;
2-6-28 120 0.044; 2-6-19 120 0.044; 2-6-8 105 0.044; 0-5-0 109.5 0.04; 2-5-1 110 0.04;
1-5-1 109.5 0.018; 1-5-3 118 0.04; 3-5-3 118 0.04; 1-5-18 109.5 0.04; 0-31-0 109.5 0.01;
1-31-1 109.5 0.018; 0-28-0 120 0.02; 2-28-2 120 0.018; 2-28-1 118 0.044; 1-28-1 122 0.04;
2-28-3 120 0.052; 1-28-3 118 0.044; 3-28-3 120 0.044; 2-28-13 119 0.016; 1-28-13 117 0.02;
2-28-6 120 0.018; 1-28-6 120 0.024; 3-28-6 109.5 0.044; 2-28-28 120 0.018; 1-28-28 120 0.024;
3-28-28 120 0.052; 2-28-9 120 0.024; 1-28-9 120 0.02; 3-28-9 120 0.024; 9-28-9 120 0.02;
0-11-0 120 0.02; 3-11-3 120 0.04; 0-19-0 120 0.04; 2-19-2 120 0.04; 2-19-3 120 0.04;
1-19-3 120 0.04; 3-19-3 120 0.04; 2-19-6 120 0.018; 3-19-6 120 0.018; 2-19-9 112 0.04;
9-19-9 127 0.06; 0-8-0 109.5 0.02; 2-8-2 110 0.02; 2-8-1 109.5 0.044; 1-8-1 109.5 0.044;
2-8-3 110 0.02; 1-8-3 110 0.02; 3-8-3 110 0.02; 2-8-6 108.5 0.044; 1-8-8 103.9 0.094;
1-8-12 120 0.01; 0-12-0 109.5 0.02; 9-12-9 109.5 0.02; 26-12-8 109.5 0.014; 9-12-8 109.5 0.02;
8-12-8 109.5 0.02; 0-18-0 110 0.04; 1-18-5 111 0.04; 3-18-5 111 0.04; 0-10-0 97 0.02;
2-10-1 94.3 0.022; 1-10-1 98 0.02; 3-10-3 97.5 0.062; 1-10-10 102.9 0.06; 0-29-9 107 0.04;
0-30-9 107 0.04; 9-30-9 118 0.04;
"""
TORSION_ROWS = """
9-2-1-1/1 0.7 -3; 2-1-1-2/1 0.04 3; 2-1-1-1/1 0.126 3; 1-1-1-1/1 0.5 3; 2-2-1-2/1 0.126 -3;
2-2-1-13/1 0.273 -3; 1-2-1-2/1 0.126 3; 1-2-1-1/1 0.126 3; 1-2-1-13/1 0.274 3; 13-2-1-2/1 0.274 3;
13-2-1-1/1 0.274 3; 13-2-1-13/1 0.274 3; 2-2-1-1/1 0.126 -3; 2-2-1-0/1 0.126 -3; 1-2-1-0/1 0.126 3;
13-2-1-0/1 0.274 3; 0-2-1-2/1 0.126 3; 0-2-1-1/1 0.126 3; 0-2-1-13/1 0.274 3; 0-1-1-13/1 0.32 3;
0-4-4-0/3 0 1; 0-4-4-0/1 0 1; 0-4-2-0/1 0 1; 0-4-2-0/2 0 1; 0-2-2-0/2 12.5 -2; 0-2-2-0/1 1.424 -2;
0-4-1-0/1 0 1; 0-2-1-0/1 0.12 -3; 0-1-1-0/1 0.2 3; 0-4-3-0/1 0 1; 0-2-3-0/1 1.6 -2;
0-1-3-0/1 0.12 -3; 0-3-3-0/5 2 -2; 0-3-3-0/1 0.6 -2; 0-4-6-0/1 0 1; 0-4-6-0/2 0 1; 0-2-6-0/2 12 -2;
0-2-6-0/1 12 -2; 0-1-6-0/1 0.4 -3; 0-3-6-0/1 1.6 -2; 0-6-6-0/2 1.6 -2; 0-6-6-0/1 1.6 -2;
0-2-5-0/1 0.12 -3; 0-1-5-0/1 0.2 3; 0-3-5-0/1 0.12 -3; 0-5-5-0/1 0.2 3; 0-2-28-0/4 6.46 -2;
0-2-28-0/1 6.46 -2; 0-1-28-0/1 0.2 3; 0-3-28-0/1 1.6 -2; 0-6-28-0/1 1.6 -2; 0-5-28-0/1 0.12 -3;
0-28-28-0/1 1.6 -2; 0-3-11-0/5 1.6 -2; 0-2-19-0/1 12 -2; 0-1-19-0/1 0.4 -3; 0-3-19-0/1 1.6 -2;
0-6-19-0/1 1.6 -2; 0-19-19-0/1 1.6 -2; 0-2-8-0/1 5.8 -2; 0-1-8-0/1 1.2 3; 0-3-8-0/1 1.2 -2;
0-6-8-0/1 1 2; 0-5-8-0/1 0.2 3; 0-2-12-0/1 1 -2; 0-1-12-0/1 0.4 3; 0-3-12-0/1 1 3;
0-8-12-0/1 0.4 3; 0-2-18-0/2 1 -2; 0-1-18-0/1 0.4 3; 0-3-18-0/1 1 3; 0-5-18-0/1 0.4 3;
0-2-10-0/1 1 -2; 0-1-10-0/1 0.4 3; 0-3-10-0/1 1 3; 0-10-10-0/1 4 3;
"""

BOND_ROW_COUNT, ANGLE_ROW_COUNT, TORSION_ROW_COUNT = 150, 201, 76
HYDROGEN_BOND_ROW = 23  # 1-based row taken by an unmatched bond to a hydrogen
HYDROGEN_ANGLE_ROWS = {2: 21, 1: 65}  # apex type: row of an unmatched bend with a hydrogen end
OXYGEN_ANGLE_ROWS = {29: 199, 30: 200}  # apex type: row of an unmatched bend with a type-9 end
LAST_GENERIC_ANGLE_ROW = 198  # a block beginning after it has no row for just any ends
EXACT_TORSIONS, ONE_END_TORSIONS, CENTRAL_TORSIONS = range(0, 13), range(13, 20), range(20, 76)


def single(value):
    """value rounded to single precision and widened back."""
    return struct.unpack("f", struct.pack("f", value))[0]


DEFAULT_TORSION = (single(0.2), 3)


def table(text, count):
    """Rows of integers (types, codes) followed by reals."""
    rows = []
    for item in filter(str.strip, text.split(";")):
        key, *values = item.split()
        rows.append([int(t) for t in re.split("[-/]", key)] + [float(v) for v in values])
    assert len(rows) == count, f"{len(rows)} rows, expected {count}"
    return rows


BONDS = table(BOND_ROWS, BOND_ROW_COUNT)
ANGLES = table(ANGLE_ROWS, ANGLE_ROW_COUNT)
TORSIONS = table(TORSION_ROWS, TORSION_ROW_COUNT)


class Unreadable(Exception):
    pass


# ---------------------------------------------------------------------------- keyword input

@dataclass
class Job:
    settings: dict
    xyz: list  # [x, y, z] per atom, Angstrom
    types: list
    conn: list  # n x n bond codes, 0 for no bond


KEYWORDS = [("$natoms", int), ("$fftype", str), ("$jobtype", int), ("$vdwc", float),
            ("$print", int), ("$gtol", float), ("$etol", float), ("$nsteps", int)]


def records(text):
    for line in text.split("\n"):
        line = line[:-1] if line.endswith("\r") else line
        yield line[:RECORD_LENGTH].ljust(RECORD_LENGTH)


def next_starting(lines, key):
    for line in lines:
        if line.startswith(key):
            return line
    raise Unreadable(f"no {key}")


def free_item(text, kind):
    item = re.split("[ ,]", text.lstrip(" "), maxsplit=1)[0]
    if kind is float:
        item = item.replace("D", "E").replace("d", "e")
    try:
        return kind(item)
    except ValueError:
        raise Unreadable(f"value {item!r}") from None


def fixed_real(field_text):
    """A coordinate field: blanks ignored; without a decimal point the digits are 1e-10 units."""
    text = field_text.replace(" ", "").replace("D", "E").replace("d", "e")
    if not text:
        return 0.0
    mantissa, _, exponent = text.upper().partition("E")
    if "." not in mantissa:
        return float(f"{mantissa}e{int(exponent or 0) - 10}")
    return float(text)


def read_job(text):
    lines = iter(records(text))
    settings = {}
    for key, kind in KEYWORDS:
        value = next_starting(lines, key)[len(key):]
        settings[key] = value if kind is str else free_item(value, kind)
    n = settings["$natoms"]
    next_starting(lines, "$coordinates")
    atoms = [next(lines) for _ in range(n)]
    xyz = [[fixed_real(a[c:c + 16]) for c in (0, 16, 32)] for a in atoms]
    types = [int(a[55:58]) if a[55:58].strip() else 0 for a in atoms]
    conn = [[0] * n for _ in range(n)]
    next_starting(lines, "$connectivity")
    for line in lines:
        if line.startswith("$end"):
            return Job(settings, xyz, types, conn)
        i, j, code = (int(v) for v in re.split("[ ,]+", line.strip(" ,"))[:3])
        conn[i - 1][j - 1] = conn[j - 1][i - 1] = code
    raise Unreadable("no $end")


# ---------------------------------------------------------------------------- force field

@dataclass
class ForceField:
    vdwc: float
    stretches: list = field(default_factory=list)  # (i, j, r0, k)
    pairs: list = field(default_factory=list)  # (i, j, well depth, radius sum)
    bends: list = field(default_factory=list)  # (end, apex, end, theta0, k)
    torsions: list = field(default_factory=list)  # (a, b, c, d, V, n)
    out_of_plane: list = field(default_factory=list)  # (centre, b, c, d, k) with b < c < d


def distance(p, q):
    return math.sqrt(sum((a - b) ** 2 for a, b in zip(p, q)))


def angle(xyz, a, b, c):
    """The angle a-b-c in degrees and its sine, from the three distances."""
    r1, r2, r3 = distance(xyz[a], xyz[b]), distance(xyz[b], xyz[c]), distance(xyz[a], xyz[c])
    cosine = max(-1.0, min(1.0, (r1 * r1 + r2 * r2 - r3 * r3) / (2 * r1 * r2)))
    return math.acos(cosine) * DEGREES_PER_RADIAN, math.sqrt(1 - cosine * cosine)


def bond_parameters(ti, tj, code, start_length):
    for row in BONDS:
        if row[2] == code and (row[:2] == [ti, tj] or row[:2] == [tj, ti]):
            return row[3], row[4]
    if HYDROGEN in (ti, tj):
        return tuple(BONDS[HYDROGEN_BOND_ROW - 1][3:])
    return start_length, DEFAULT_BOND_CONSTANT


def hydrogen_screened(types, h, carrier, partner):
    """Whether hydrogen h, bonded to carrier, has no van der Waals term with partner."""
    return (types[h] == HYDROGEN and types[carrier] in HYDROGEN_CARRIERS
            and types[partner] in HYDROGEN_PARTNERS)


def excluded(job, types, i, j):
    """Whether the non-bonded pair i, j has no van der Waals term."""
    for m, (to_i, to_j) in enumerate(zip(job.conn[i], job.conn[j])):
        if to_i and to_j:
            return True  # i and j are the ends of a bend
        if (to_i and hydrogen_screened(types, i, m, j)
                or to_j and hydrogen_screened(types, j, m, i)):
            return True
    return False


def angle_parameters(ends, apex, start_angle):
    rows = [r for r, row in enumerate(ANGLES, 1) if row[1] == apex]
    for r in rows:
        if sorted((ANGLES[r - 1][0], ANGLES[r - 1][2])) == sorted(ends):
            return tuple(ANGLES[r - 1][3:])
    special = (HYDROGEN_ANGLE_ROWS if HYDROGEN in ends
               else OXYGEN_ANGLE_ROWS if CARBONYL_OXYGEN in ends else {})
    if apex in special:
        return tuple(ANGLES[special[apex] - 1][3:])
    if not rows or rows[0] > LAST_GENERIC_ANGLE_ROW:
        return start_angle, DEFAULT_ANGLE_CONSTANT
    return tuple(ANGLES[rows[0] - 1][3:])


def torsion_matches(row, t, code):
    ra, rb, rc, rd, row_code = row[:5]
    return row_code == code and ([ra, rb, rc, rd] == t or [ra, rb, rc, rd] == t[::-1])


def one_end_matches(row, t, code):
    ra, rb, rc, rd, row_code = row[:5]
    if row_code != code:
        return False
    ends = (ra, rd)
    return ((rb, rc) == (t[1], t[2]) and ends in ((0, t[3]), (t[0], 0))
            or (rb, rc) == (t[2], t[1]) and ends in ((0, t[0]), (t[3], 0)))


def central_matches(row, t, code):
    return row[4] == code and sorted(row[1:3]) == sorted(t[1:3])


def torsion_parameters(t, code):
    for rows, matches in ((EXACT_TORSIONS, torsion_matches), (ONE_END_TORSIONS, one_end_matches),
                          (CENTRAL_TORSIONS, central_matches)):
        for r in rows:
            if matches(TORSIONS[r], t, code):
                return TORSIONS[r][5], int(TORSIONS[r][6])
    return DEFAULT_TORSION


def neighbours(job, atom):
    return [m for m, code in enumerate(job.conn[atom]) if code]


def add_pairs(ff, job, types):
    n = len(types)
    for i in range(n):
        for j in range(i):
            ti, tj = types[i], types[j]
            if job.conn[i][j]:
                start = distance(job.xyz[i], job.xyz[j])
                ff.stretches.append((i, j, *bond_parameters(ti, tj, job.conn[i][j], start)))
            elif not excluded(job, types, i, j):
                depth = math.sqrt(WELL_DEPTHS[ti - 1] * WELL_DEPTHS[tj - 1])
                ff.pairs.append((i, j, depth, single(RADII[ti - 1]) + single(RADII[tj - 1])))


def add_bends(ff, job, types):
    for b in range(len(types)):
        ends = [m for m in neighbours(job, b) if m != b]
        for x, a in enumerate(ends):
            for c in ends[x + 1:]:
                start = angle(job.xyz, a, b, c)[0]
                ff.bends.append((a, b, c, *angle_parameters((types[a], types[c]), types[b], start)))


def add_torsions(ff, job, types):
    for b in range(len(types)):
        for c in neighbours(job, b):
            if c <= b:
                continue
            for a in (m for m in neighbours(job, b) if m not in (b, c)):
                for d in (m for m in neighbours(job, c) if m not in (a, b, c)):
                    t = [types[a], types[b], types[c], types[d]]
                    ff.torsions.append((a, b, c, d, *torsion_parameters(t, job.conn[b][c])))


def add_out_of_plane(ff, job, types):
    for p, t in enumerate(types):
        around = neighbours(job, p)
        if t in OUT_OF_PLANE_CONSTANTS and len(around) == 3:
            ff.out_of_plane.append((p, *around, OUT_OF_PLANE_CONSTANTS[t]))


def force_field(job):
    """Every term of the molecule with its parameters, fixed at the starting geometry."""
    types = [t if t >= 1 else MISSING_TYPE for t in job.types]
    ff = ForceField(job.settings["$vdwc"])
    for add in (add_pairs, add_bends, add_torsions, add_out_of_plane):
        add(ff, job, types)
    return ff


def pair_energy(ff, xyz):
    stretch = vdw = 0.0
    for i, j, r0, k in ff.stretches:
        r = distance(xyz[i], xyz[j])
        if r <= ff.vdwc:
            stretch += k * (r - r0) ** 2
    for i, j, depth, radii in ff.pairs:
        r = distance(xyz[i], xyz[j])
        if r <= ff.vdwc:
            s6 = (radii / r) ** 6
            vdw += depth * (s6 * s6 - 2 * s6)
    return stretch, vdw


def sub(p, q):
    return [a - b for a, b in zip(p, q)]


def cross(u, v):
    return [u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]]


def dot(u, v):
    return sum(a * b for a, b in zip(u, v))


def torsion_energy(xyz, a, b, c, d, barrier, n):
    if min(angle(xyz, a, b, c)[1], angle(xyz, b, c, d)[1]) < DEGENERATE_SINE:
        return 0.0
    w1 = cross(sub(xyz[c], xyz[b]), sub(xyz[b], xyz[a]))
    w2 = cross(sub(xyz[d], xyz[c]), sub(xyz[c], xyz[b]))
    cosine = dot(w1, w2) / math.sqrt(dot(w1, w1) * dot(w2, w2))
    phi = math.acos(max(-1.0, min(1.0, cosine)))
    return barrier * (1 + math.copysign(1, n) * math.cos(abs(n) * phi))


def out_of_plane_energy(xyz, p, b, c, d, k):
    normal = cross(sub(xyz[c], xyz[b]), sub(xyz[d], xyz[b]))
    t = dot(normal, sub(xyz[b], xyz[p]))
    if t < OUT_OF_PLANE_MIN_HEIGHT:
        return 0.0
    return k * t * t / dot(normal, normal)


def energy(ff, xyz):
    """The force-field energy (kcal/mol) at xyz (Angstrom)."""
    stretch, vdw = pair_energy(ff, xyz)
    bend = sum(k * (angle(xyz, a, b, c)[0] - theta0) ** 2 for a, b, c, theta0, k in ff.bends)
    torsion = sum(torsion_energy(xyz, *term) for term in ff.torsions)
    out_of_plane = sum(out_of_plane_energy(xyz, *term) for term in ff.out_of_plane)
    return 0.5 * (stretch + bend + torsion + out_of_plane) + vdw


def rms_force(ff, xyz):
    """The root-mean-square gradient (kcal/mol/Angstrom) by central differences."""
    squares = 0.0
    for atom in range(len(xyz)):
        for axis in range(3):
            ends = []
            for step in (DIFFERENCE_STEP, -DIFFERENCE_STEP):
                moved = [list(p) for p in xyz]
                moved[atom][axis] += step
                ends.append(energy(ff, moved))
            squares += ((ends[0] - ends[1]) / (2 * DIFFERENCE_STEP)) ** 2
    return math.sqrt(squares / (3 * len(xyz)))


def figures(ff, xyz):
    """Energy (hartree) and RMS force (hartree/bohr) as a cycle record gives them."""
    return (energy(ff, xyz) * HARTREE_PER_KCAL,
            rms_force(ff, xyz) * HARTREE_PER_KCAL * ANGSTROM_PER_BOHR)


# ---------------------------------------------------------------------------- records

CYCLE_RECORD = re.compile(r"\*\*  (.{4})  Energy:(.{16})   RMSG:(.{8})$")
GEOMETRY_RECORD = re.compile(r"([@!])(.{16})(.{16})(.{16})$")
LISTING_CYCLE_RECORD = re.compile(r" \*\* Cycle:(.{4})  Energy:(.{18})   RMSG:(.{10})$")


@dataclass
class Cycle:
    number: int
    energy: float
    rmsg: float
    mark: str = ""  # "@" after an accepted cycle, "!" for the final geometry
    xyz: list = field(default_factory=list)


def read_cycles(stdout):
    cycles = []
    for line in stdout.splitlines():
        if (match := CYCLE_RECORD.match(line)):
            cycles.append(Cycle(*(kind(v) for kind, v in zip((int, float, float), match.groups()))))
        elif (match := GEOMETRY_RECORD.match(line)) and cycles:
            cycles[-1].mark = match[1]
            cycles[-1].xyz.append([float(v) for v in match.groups()[1:]])
        else:
            raise Unreadable(f"record {line!r}")
    return cycles


# ---------------------------------------------------------------------------- checks

@dataclass
class Run:
    input: str
    stdout: str
    stderr: str
    status: int
    listing: str  # the file "debug"


def skip_reason(run):
    if run.status != 0:
        return "input rejected"
    if "Error Termination" in run.stderr:
        return "numbered report"
    if "Insufficient Scratch Memory" in run.stdout:
        return "workspace stop"
    return None


def first_cycle(run, cycles):
    """Cycle 1's figures: its record, or when it made a line search (and wrote no record) the
    listing's cycle record, None when the listing is off."""
    if cycles and cycles[0].number == 1:
        return cycles[0]
    for line in run.listing.splitlines():
        if (match := LISTING_CYCLE_RECORD.match(line)) and int(match[1]) == 1:
            return Cycle(1, float(match[2]), float(match[3]))
    return None


def agree(what, record, ff, xyz):
    """Faults of a cycle record against the figures of xyz, and those figures."""
    now = figures(ff, xyz)
    faults = []
    if abs(record.energy - now[0]) > ENERGY_UNIT:
        faults.append(f"cycle {record.number}: energy {record.energy:.9f}, {now[0]:.12f} at {what}")
    if abs(record.rmsg - now[1]) > RMSG_UNIT:
        faults.append(f"cycle {record.number}: RMSG {record.rmsg:.5f}, {now[1]:.8f} at {what}")
    return faults, now


def chain_faults(ff, cycles):
    faults = []
    for before, now in zip(cycles, cycles[1:]):
        if before.mark == "@" and now.mark == "@" and now.number == before.number + 1:
            faults += agree(f"the geometry after cycle {before.number}", now, ff, before.xyz)[0]
    return faults


def final_faults(ff, job, cycles):
    """A regular convergence writes its last cycle as accepted too; an early exit does not, and
    needs a tenth of $gtol but no energy criterion."""
    last = cycles[-1]
    faults, (_, rmsg) = agree("the final geometry", last, ff, last.xyz)
    accepted = [c for c in cycles if c.mark == "@"]
    regular = bool(accepted) and accepted[-1].number == last.number
    limit = job.settings["$gtol"] * (1 if regular else EARLY_EXIT_FACTOR)
    if not rmsg < limit:
        faults.append(f"final RMS force {rmsg:.8f} is not below {limit}")
    fall = accepted[-2].energy - last.energy if regular and len(accepted) > 1 else 0.0
    if fall >= job.settings["$etol"] + ENERGY_UNIT:
        faults.append(f"the energy fell by {fall:.9f}, more than $etol, over cycle {last.number}")
    return faults


def check(run):
    """(verdict, text): "ok", "FAIL" or "skip"."""
    reason = skip_reason(run)
    if reason:
        return "skip", reason
    job = read_job(run.input)
    ff = force_field(job)
    cycles = read_cycles(run.stdout)
    stopped = "STOP 666" in run.stderr
    if not stopped and not (cycles and cycles[-1].mark == "!"):
        return "FAIL", "neither a final geometry nor the cycle-limit stop"
    first = first_cycle(run, cycles)
    if not (cycles or first):
        return "skip", "the cycle limit came before any record"
    faults = chain_faults(ff, cycles)
    if first:
        faults = agree("the input geometry", first, ff, job.xyz)[0] + faults
    if not stopped:
        faults += final_faults(ff, job, cycles)
    if faults:
        return "FAIL", "; ".join(faults)
    ending = "stopped at the cycle limit" if stopped else "converged"
    unchecked = "" if first else " (cycle 1, a line search, is in no record or listing)"
    return "ok", f"{len(cycles)} records, {ending}{unchecked}"


# ---------------------------------------------------------------------------- runs

def recorded_run(folder):
    def text(name, default=""):
        path = folder / name
        return path.read_text(encoding="latin-1") if path.exists() else default
    return Run(text("input"), text("stdout"), text("stderr"), int(text("exit_code", "0")),
               text("debug"))


def fresh_run(program, input_file):
    text = input_file.read_text(encoding="latin-1")
    with tempfile.TemporaryDirectory() as work:
        done = subprocess.run([program], input=text.encode("latin-1"), cwd=work,
                              capture_output=True, timeout=RUN_LIMIT, check=False)
        listing = pathlib.Path(work, "debug")
        listing = listing.read_text(encoding="latin-1") if listing.exists() else ""
    return Run(text, done.stdout.decode("latin-1"), done.stderr.decode("latin-1"),
               done.returncode, listing)


def is_kelma_case(folder):
    program = folder / "program"
    return (folder / "input").is_file() and (
        not program.exists() or program.read_text().strip() == "kelma")


def expand(path):
    if path.is_dir() and not (path / "input").exists():
        return sorted(p for p in path.iterdir() if p.is_dir() and is_kelma_case(p)) + sorted(
            path.glob("*.in"))
    return [path]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--kelma", type=lambda p: pathlib.Path(p).resolve(),
                        help="the program that runs the keyword input files")
    parser.add_argument("paths", nargs="+", type=pathlib.Path)
    args = parser.parse_args()
    failures = count = 0
    for path in (p for given in args.paths for p in expand(given)):
        if path.is_file() and not args.kelma:
            parser.error(f"{path}: an input file needs --kelma")
        run = fresh_run(args.kelma, path) if path.is_file() else recorded_run(path)
        try:
            verdict, text = check(run)
        except Unreadable as error:
            verdict, text = "FAIL", f"unreadable: {error}"
        count += 1
        failures += verdict == "FAIL"
        print(f"{verdict:<4} {path}: {text}", flush=True)
    print(f"{count} runs, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
