#!/usr/bin/env bash
# Builds Kestrel and starts the console on a demo café (demo/Database.mdb).
# On a fresh Debian 12 machine it first installs what is missing.
#   ./run.sh --with-agent   PC08 is a real station agent in a window of its own beside the
#                           console (its system actions only printed), instead of a simulated one
set -euo pipefail
cd "$(dirname "$0")"
with_agent=0
args=()
for a in "$@"; do
    if [ "$a" = --with-agent ]; then with_agent=1; else args+=("$a"); fi
done
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
# receives is logged in demo/vigilo-sim.log. With --with-agent the real agent plays PC08.
build/vigilo-sim --range 127.0.0.2 $((8 - with_agent)) --auto-start --reply "Gracias, ya voy" \
    --changes-only </dev/null >demo/vigilo-sim.log 2>&1 &
pids=($!)
trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT
if [ "$with_agent" = 1 ]; then
    printf '[Agent]\nconsole=127.0.0.1\ncafe=Café de demostración\nlisten=127.0.0.9\n' \
        >demo/agent.conf
    build/kestrel-agent --config demo/agent.conf --options demo/agent-lock-options.conf \
        --window --dry-run </dev/null >demo/kestrel-agent.log 2>&1 &
    pids+=($!)
fi
trap 'exit 130' INT TERM
sleep 0.3
if ! kill -0 "${pids[0]}" 2>/dev/null; then
    echo "vigilo-sim no pudo iniciar (ver demo/vigilo-sim.log); la consola sigue sin puestos." >&2
fi

env "${regional[@]}" build/kestrel --data-dir demo ${args[@]+"${args[@]}"}
