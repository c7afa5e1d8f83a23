#!/usr/bin/env python3
"""Times talvor-cli against ngspice on the benchmark circuits of circuits.py.

Both programs analyse the same circuit over the same frequencies and write every unknown (Talvor:
its .tab table; ngspice: every node voltage with wrdata). Runs alternate (ngspice, talvor-cli on
one thread, talvor-cli on every thread) so that a change in the machine's load hits all three;
the ratio printed is the median of the per-round ratios of wall-clock times. On a machine shared
with other work the wall clock also measures the waits for a core, so the ratio of processor
times (user + system, one thread) is printed as well.

talvor-cli's sweep uses every hardware thread; TALVOR_THREADS=1 holds it to one.
"""
import argparse, os, resource, statistics, subprocess, sys, tempfile, time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import circuits  # noqa: E402

GOALS = {  # (one thread, every thread): the largest acceptable ratio
    "a_rc_ladder_50": (0.9, 0.5),
    "b_ladder_10_lin": (0.5, 0.5),
    "c_bipolar_8": (0.9, 0.5),
}


def processor_time():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def timed(command, folder, environment):
    """Wall-clock and processor seconds of one run, and its result."""
    start, start_cpu = time.perf_counter(), processor_time()
    result = subprocess.run(command, cwd=folder, env=environment, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, text=True)
    return time.perf_counter() - start, processor_time() - start_cpu, result


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

    print("%-16s %10s %10s %7s %10s %7s %9s  %s" % ("circuit", "ngspice", "talvor 1", "ratio",
                                                     "talvor N", "ratio", "cpu ratio",
                                                     "goal (1 / N)"))
    failed = False
    with tempfile.TemporaryDirectory() as folder:
        for name in args.names:
            circuits.write_benchmark(name, folder)
            talvor = [cli, name]
            spice = ["ngspice", "-b", name + ".cir"]
            _, _, check = timed(talvor, folder, one)
            if "Análise terminada com sucesso." not in check.stdout:
                sys.exit("talvor-cli failed on %s:\n%s" % (name, check.stdout[-2000:]))
            timed(spice, folder, every)
            times = {"spice": [], "one": [], "every": []}
            cpu = {"spice": [], "one": []}
            for _ in range(args.runs):
                for key, command, environment in (("spice", spice, every), ("one", talvor, one),
                                                  ("every", talvor, every)):
                    wall, processor, _ = timed(command, folder, environment)
                    times[key].append(wall)
                    if key in cpu:
                        cpu[key].append(processor)
            ratio_one = statistics.median(o / s for o, s in zip(times["one"], times["spice"]))
            ratio_every = statistics.median(e / s for e, s in zip(times["every"], times["spice"]))
            ratio_cpu = statistics.median(o / s for o, s in zip(cpu["one"], cpu["spice"]))
            goal_one, goal_every = GOALS.get(name, (1, 1))
            met = ratio_one <= goal_one and ratio_every <= goal_every
            failed |= not met
            print("%-16s %8.1fms %8.1fms %7.3f %8.1fms %7.3f %9.3f  %.2f / %.2f %s" % (
                name, 1000 * statistics.median(times["spice"]),
                1000 * statistics.median(times["one"]), ratio_one,
                1000 * statistics.median(times["every"]), ratio_every, ratio_cpu, goal_one,
                goal_every,
                "met" if met else "NOT MET"))
    print("threads available: %d; load average %.1f" % (os.cpu_count(), os.getloadavg()[0]))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
