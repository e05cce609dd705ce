#!/usr/bin/env bash
# Builds Kestrel and starts the console on a demo café (demo/Database.mdb).
# On a fresh Debian 12 machine it first installs what is missing.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh

kestrel_ensure_packages "${kestrel_packages[@]}"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTREL_BUILD_TESTS=OFF
cmake --build build -j2

if [ ! -f demo/Database.mdb ]; then
    mkdir -p demo
    build/kestrel --init-db --demo --data-dir demo
fi

# The demo café counts in the regional format of the target cafés (decimal comma), unless the
# machine already has a regional format of its own.
regional=()
case "${LC_ALL:-${LANG:-C}}" in
    C | C.* | POSIX | "") regional=(LC_NUMERIC=es_EC.UTF-8 LC_TIME=es_EC.UTF-8) ;;
esac

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No hay pantalla (DISPLAY no esta definido): la consola no puede mostrarse." >&2
    echo "Ejecutela con un servidor X virtual, por ejemplo:  xvfb-run -a ./run.sh" >&2
    echo "(xvfb-run esta en el paquete xvfb: sudo apt-get install xvfb xauth)" >&2
    exit 1
fi
exec env "${regional[@]}" build/kestrel --data-dir demo "$@"
