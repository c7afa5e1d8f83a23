#!/usr/bin/env python3
"""The benchmark circuits, written both as Talvor netlists (.net) and as ngspice decks (.cir)
that sweep the same frequencies and write every node voltage with wrdata."""
import os

# Talvor's default junction: Is = 1e-9, VT = 0.043429445; ngspice gives VT as N times its
# thermal voltage at 27 °C.
NGSPICE_VT = 1.38064852e-23 / 1.6021766208e-19 * 300.15
EMISSION = 0.043429445 / NGSPICE_VT


def rc_ladder(sections):
    """A source and `sections` series resistors, each followed by a capacitor to ground."""
    talvor, spice = ["V1 1 0 1"], ["V1 1 0 DC 0 AC 1"]
    for k in range(1, sections + 1):
        line_r = "R%d %d %d 1000" % (k, k, k + 1)
        line_c = "C%d %d 0 1e-9" % (k, k + 1)
        talvor += [line_r, line_c]
        spice += [line_r, line_c]
    return talvor, spice, sections + 1


def bipolar_chain(stages):
    """Common-emitter stages in cascade, coupled by capacitors, each with a divider bias and a
    split emitter resistor whose lower part is bypassed."""
    talvor = ["VCC 1 0 0 0 12", "VIN 2 0 0.001"]
    spice = ["VCC 1 0 DC 12", "VIN 2 0 DC 0 AC 0.001"]
    node = 2
    previous = 2
    for s in range(1, stages + 1):
        x, b, c, e, e2 = node + 1, node + 2, node + 3, node + 4, node + 5
        node = e2
        common = [
            "CC%d %d %d 1e-6" % (s, previous, x),
            "RS%d %d %d 1000" % (s, x, b),
            "RA%d 1 %d 100000" % (s, b),
            "RB%d %d 0 20000" % (s, b),
            "RC%d 1 %d 4700" % (s, c),
            "RE%d %d %d 100" % (s, e, e2),
            "RF%d %d 0 1000" % (s, e2),
            "CE%d %d 0 1e-4" % (s, e2),
        ]
        talvor += common + ["Q%d %d %d %d N 0.99 0.5 1e-9 0.043429445 1.98e-9 0.043429445 100"
                            % (s, c, b, e)]
        spice += common + ["Q%d %d %d %d qmod" % (s, c, b, e)]
        previous = c
    spice.append(".model qmod NPN(IS=0.99e-9 BF=99 BR=1 NF=%.15g NR=%.15g VAF=100 "
                 "CJE=5e-12 VJE=0.6 MJE=0.5 CJC=5e-12 VJC=0.6 MJC=0.5)" % (EMISSION, EMISSION))
    return talvor, spice, node


# name: (circuit, Talvor .AC line, ngspice ac command). ngspice counts the points of a decade
# without its end, Talvor with both ends: DEC 1000 here is dec 999 there.
BENCHMARKS = {
    "a_rc_ladder_50": (lambda: rc_ladder(48), ".AC DEC 1000 1 1000000000",
                       "ac dec 999 1 1e9"),
    "b_ladder_10_lin": (lambda: rc_ladder(10), ".AC LIN 1000 1 1000000", "ac lin 1000 1 1e6"),
    "c_bipolar_8": (lambda: bipolar_chain(8), ".AC DEC 1000 1 1000000", "ac dec 999 1 1e6"),
}


def write_benchmark(name, folder):
    build, ac_line, ac_command = BENCHMARKS[name]
    talvor, spice, nodes = build()
    with open(os.path.join(folder, name + ".net"), "w") as out:
        out.write("Benchmark %s\n" % name)
        out.write("\n".join(talvor + [ac_line]) + "\n")
    voltages = " ".join("v(%d)" % k for k in range(1, nodes + 1))
    with open(os.path.join(folder, name + ".cir"), "w") as out:
        out.write("Benchmark %s\n" % name)
        out.write("\n".join(spice) + "\n")
        out.write(".control\n%s\nwrdata %s.txt %s\n.endc\n.end\n" % (ac_command, name, voltages))


if __name__ == "__main__":
    import sys
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    for name in BENCHMARKS:
        write_benchmark(name, folder)
