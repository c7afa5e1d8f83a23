#!/usr/bin/env python3
"""Writes N tables of ROWS frequency points each, in the sweep's table format (header
"f 1m 1f 2m 2f ", "%g" numbers): a first- and a second-order low-pass with different corners."""
import math
import sys

def main():
    out_dir, count, rows = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    for n in range(1, count + 1):
        corner = 10.0 ** (1 + 4 * n / count)
        lines = ["f 1m 1f 2m 2f \n"]
        ratio = 10.0 ** (6 / (rows - 1))
        f = 1.0
        for _ in range(rows):
            s = complex(0, f / corner)
            h1 = 1 / (1 + s)
            h2 = 1 / (1 + 0.5 * s + s * s)
            lines.append("%g %g %g %g %g\n" % (f, abs(h1), math.degrees(math.atan2(h1.imag, h1.real)),
                                               abs(h2), math.degrees(math.atan2(h2.imag, h2.real))))
            f *= ratio
        with open("%s/tabela%02d.tab" % (out_dir, n), "w") as table:
            table.writelines(lines)

main()
