# Shared by scripts/run and scripts/test: install what is missing, then configure and build.
# Sourced, not run.

TALVOR_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TALVOR_BUILD=${TALVOR_BUILD:-$TALVOR_ROOT/build}
TALVOR_PACKAGES="build-essential cmake ninja-build qt6-base-dev qt6-svg-dev qt6-translations-l10n libgl-dev libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth fonts-dejavu-core"

talvor_install_packages() {
    local missing=()
    for package in $TALVOR_PACKAGES; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Faltam pacotes. Instale-os com:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
}

talvor_build() {
    cmake -S "$TALVOR_ROOT" -B "$TALVOR_BUILD" -G Ninja "$@"
    cmake --build "$TALVOR_BUILD" --parallel "$(nproc)"
}
