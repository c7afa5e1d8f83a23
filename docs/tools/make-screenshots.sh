#!/usr/bin/env bash
# Remakes docs/main-window.png, docs/parametros.png, docs/graph-zoom.png, docs/graph-cursors.png,
# docs/variar-parametro.png, docs/passos.png and docs/seletor-de-cor.png from the real windows: builds the picture program, runs the examples
# in a scratch folder on the offscreen platform, saves the windows.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${TALVOR_BUILD:-$root/build}
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --parallel 2 --target talvor-screenshots >/dev/null
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$root/examples/exemplo.net" "$root/examples/filtro_ativo.net" "$scratch/"
QT_QPA_PLATFORM=offscreen "$build/app/talvor-screenshots" "$scratch" "$root/docs"
echo "docs/main-window.png docs/parametros.png docs/graph-zoom.png docs/graph-cursors.png" \
    "docs/variar-parametro.png docs/passos.png docs/seletor-de-cor.png"
