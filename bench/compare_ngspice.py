#!/usr/bin/env python3
"""Times talvor-cli against ngspice on the benchmark circuits of circuits.py.

Both programs analyse the same circuit over the same frequencies and write every unknown (Talvor:
its .tab table; ngspice: every node voltage with wrdata). Runs alternate (ngspice, talvor-cli on
one thread, talvor-cli on every thread) so that a change in the machine's load hits all three;
the ratio printed is the median of the per-round ratios of wall-clock times.

talvor-cli's sweep uses every hardware thread; TALVOR_THREADS=1 holds it to one.
"""
import argparse, os, statistics, subprocess, sys, tempfile, time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import circuits  # noqa: E402

GOALS = {  # (one thread, every thread): the largest acceptable ratio
    "a_rc_ladder_50": (0.9, 0.5),
    "b_ladder_10_lin": (0.5, 0.5),
    "c_bipolar_8": (0.9, 0.5),
}


def timed(command, folder, environment):
    start = time.perf_counter()
    result = subprocess.run(command, cwd=folder, env=environment, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, text=True)
    elapsed = time.perf_counter() - start
    return elapsed, result


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", default=os.path.join(here, "..", "build", "app", "talvor-cli"))
    parser.add_argument("--runs", type=int, default=11)
    parser.add_argument("names", nargs="*", default=list(circuits.BENCHMARKS))
    args = parser.parse_args()
    cli = os.path.abspath(args.cli)
    one = dict(os.environ, TALVOR_THREADS="1")
    every = {k: v for k, v in os.environ.items() if k != "TALVOR_THREADS"}

    print("%-16s %10s %10s %7s %10s %7s  %s" % ("circuit", "ngspice", "talvor 1", "ratio",
                                                 "talvor N", "ratio", "goal (1 / N)"))
    failed = False
    with tempfile.TemporaryDirectory() as folder:
        for name in args.names:
            circuits.write_benchmark(name, folder)
            talvor = [cli, name]
            spice = ["ngspice", "-b", name + ".cir"]
            _, check = timed(talvor, folder, one)
            if "Análise terminada com sucesso." not in check.stdout:
                sys.exit("talvor-cli failed on %s:\n%s" % (name, check.stdout[-2000:]))
            timed(spice, folder, every)
            times = {"spice": [], "one": [], "every": []}
            for _ in range(args.runs):
                times["spice"].append(timed(spice, folder, every)[0])
                times["one"].append(timed(talvor, folder, one)[0])
                times["every"].append(timed(talvor, folder, every)[0])
            ratio_one = statistics.median(o / s for o, s in zip(times["one"], times["spice"]))
            ratio_every = statistics.median(e / s for e, s in zip(times["every"], times["spice"]))
            goal_one, goal_every = GOALS.get(name, (1, 1))
            met = ratio_one <= goal_one and ratio_every <= goal_every
            failed |= not met
            print("%-16s %8.1fms %8.1fms %7.3f %8.1fms %7.3f  %.2f / %.2f %s" % (
                name, 1000 * statistics.median(times["spice"]),
                1000 * statistics.median(times["one"]), ratio_one,
                1000 * statistics.median(times["every"]), ratio_every, goal_one, goal_every,
                "met" if met else "NOT MET"))
    print("threads available: %d" % os.cpu_count())
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
