#!/usr/bin/env python3
# Runs ngspice on every deck of decks.tsv and writes NAME.expected: the frequency and, for each
# unknown that the deck's wrdata line names, its magnitude and phase, under the column names that
# talvor-cli gives them in NAME.tab and in the units of the deck's options (--db, --radians,
# --rad-per-s). Run by hand when a deck changes (ngspice -b must be on the PATH); ctest only reads
# the results. With deck names as arguments, only those are regenerated.
import math, os, subprocess, sys, tempfile

here = os.path.dirname(os.path.abspath(__file__))


def read_decks():
    decks = []
    for line in open(os.path.join(here, "decks.tsv"), encoding="utf-8"):
        if line.startswith("#") or not line.strip():
            continue
        name, options, columns = line.rstrip("\n").split("\t")
        decks.append((name, options.split(), columns.split()))
    return decks


def convert(row, options):
    """One wrdata row (scale, re-im pairs... as magnitude and phase in radians) in talvor's units."""
    f = row[0] * (2 * math.pi if "--rad-per-s" in options else 1)
    values = row[1::2]  # wrdata writes the scale before every vector
    fields = [f]
    for k in range(0, len(values), 2):
        magnitude, phase = values[k], values[k + 1]
        if "--db" in options:
            magnitude = 20 * math.log10(max(magnitude, 1e-50))
        if "--radians" not in options:
            phase = math.degrees(phase)
        fields += [magnitude, phase]
    return fields


def main():
    wanted = set(sys.argv[1:])
    for name, options, unknowns in read_decks():
        if wanted and name not in wanted:
            continue
        with tempfile.TemporaryDirectory() as work:
            # ngspice -b exits with 1 when a deck has no .print line, so the output file is the
            # test.
            subprocess.run(["ngspice", "-b", os.path.join(here, name + ".cir")], cwd=work,
                           capture_output=True)
            rows = [list(map(float, line.split()))
                    for line in open(os.path.join(work, name + ".out")) if line.strip()]
        if len(rows[0]) != 4 * len(unknowns):
            sys.exit("%s: %d wrdata vectors for %d unknowns in decks.tsv"
                     % (name, len(rows[0]) // 2, len(unknowns)))
        header = ["f"] + [u + s for u in unknowns for s in ("m", "f")]
        with open(os.path.join(here, name + ".expected"), "w") as out:
            out.write(" ".join(header) + "\n")
            for row in rows:
                out.write(" ".join("%.9g" % v for v in convert(row, options)) + "\n")
        print(name, len(rows), "rows", file=sys.stderr)


main()
