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
    echo "No hay pantalla (DISPLAY no está definido): la consola no puede mostrarse." >&2
    echo "Ejecútela con un servidor X virtual, por ejemplo:  xvfb-run -a ./run.sh" >&2
    echo "(xvfb-run está en el paquete xvfb: sudo apt-get install xvfb xauth)" >&2
    exit 1
fi
# The demo stations' agents: one simulator plays PC01 to PC08 (127.0.0.2 to 127.0.0.9, port
# 6969). Its customers press start by themselves and answer the operator's messages; what it
# receives is logged in demo/vigilo-sim.log.
build/vigilo-sim --range 127.0.0.2 8 --auto-start --reply "Gracias, ya voy" --changes-only \
    </dev/null >demo/vigilo-sim.log 2>&1 &
sim=$!
trap 'kill "$sim" 2>/dev/null || true' EXIT
trap 'exit 130' INT TERM
sleep 0.3
if ! kill -0 "$sim" 2>/dev/null; then
    echo "vigilo-sim no pudo iniciar (ver demo/vigilo-sim.log); la consola sigue sin puestos." >&2
fi

env "${regional[@]}" build/kestrel --data-dir demo "$@"
