# Installs the Debian 12 packages the project needs when they are missing.
# Sourced by run.sh and test.sh; uses sudo when not run as root.

# qt6-charts-dev's CMake files need Qt6OpenGL's, which Debian ships in libqt6opengl6-dev.
kestrel_packages=(cmake ninja-build g++ qt6-base-dev libqt6sql6-sqlite libsqlite3-dev
    qt6-translations-l10n fonts-dejavu-core libcups2-dev qt6-charts-dev
    libqt6opengl6-dev)
# For the tests and the benchmark only: the cupsd they start on a port of their own, and the
# client programs that set up its queues and send it jobs.
kestrel_test_packages=(cups cups-client cups-bsd)

kestrel_missing_packages() {
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" \
            || printf '%s\n' "$pkg"
    done
}

kestrel_ensure_packages() {
    local missing
    missing=$(kestrel_missing_packages "$@")
    [ -z "$missing" ] && return 0
    local sudo=()
    if [ "$(id -u)" != 0 ]; then
        if command -v sudo >/dev/null; then
            sudo=(sudo)
        else
            echo "Faltan paquetes y no hay sudo para instalarlos: $missing" >&2
            return 1
        fi
    fi
    echo "Instalando: $(echo $missing)"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    # shellcheck disable=SC2086
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends $missing
}
