#!/usr/bin/env bash
# Start-up of talvor against a minimal Qt program with one text area: time from the start of
# each program to its first painted window on a virtual X server, alternating, median ratio.
# bench/gui/startup.sh [ROUNDS]   (builds the benchmarks in build-bench/)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${TALVOR_BENCH_BUILD:-$root/build-bench}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTALVOR_BUILD_BENCH=ON -DTALVOR_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --parallel 2 --target talvor minimal_window startup_bench first_paint_probe >/dev/null
rounds=${1:-30}
exec xvfb-run -a "$build/bench/gui/startup_bench" "$build/bench/gui/libfirst_paint_probe.so" "$rounds" \
    "$build/app/talvor" "$build/bench/gui/minimal_window"
