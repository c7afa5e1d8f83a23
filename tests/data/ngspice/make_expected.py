#!/usr/bin/env python3
# Runs ngspice on every deck here and writes NAME.expected: the frequency and, for each unknown
# that the deck's wrdata line names, its magnitude and phase in degrees, under the column names
# that talvor-cli gives them in NAME.tab. Run by hand when a deck changes; ctest only reads the
# results.
import math, os, subprocess, sys, tempfile

# The talvor columns that match each deck's wrdata vectors, in order (one name per vm/vp pair).
COLUMNS = {
    "rc": ["2", "jV1"],
    "rlc": ["2", "3", "jV1", "jL1"],
    "controlled": ["4", "5", "6", "8", "jE1", "jF1", "jxH1", "jyH1"],
    "diode": ["2", "3", "jV1"],
    "varactor": ["2", "jV1"],
    "bjt": ["3", "4", "5", "jVIN"],
}

here = os.path.dirname(os.path.abspath(__file__))
for name, unknowns in COLUMNS.items():
    with tempfile.TemporaryDirectory() as work:
        # ngspice -b exits with 1 when a deck has no .print line, so the output file is the test.
        subprocess.run(["ngspice", "-b", os.path.join(here, name + ".cir")], cwd=work,
                       capture_output=True)
        rows = [list(map(float, line.split())) for line in open(os.path.join(work, name + ".out"))
                if line.strip()]
    header = ["f"] + [u + s for u in unknowns for s in ("m", "f")]
    with open(os.path.join(here, name + ".expected"), "w") as out:
        out.write(" ".join(header) + "\n")
        for row in rows:
            values = row[1::2]  # wrdata writes the scale before every vector
            fields = [row[0]]
            for k in range(0, len(values), 2):
                fields += [values[k], math.degrees(values[k + 1])]
            out.write(" ".join("%.9g" % v for v in fields) + "\n")
    print(name, len(rows), "rows", file=sys.stderr)
