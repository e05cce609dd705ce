#!/usr/bin/env bash
# One station floods the console with a 1 MB customer message every quarter second for a minute,
# while seven others report the longest wait between two status messages (the console sends one
# every 900 ms). Runs the release build on a demo café under a virtual X server; prints the
# statistics of the seven stations before and after the flood.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
kestrel_ensure_packages "${kestrel_packages[@]}" xvfb xauth python3
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTREL_BUILD_TESTS=OFF >/dev/null
cmake --build build -j2 --target kestrel vigilo-sim >/dev/null

work=$(mktemp -d)
cleanup() {
    pkill -f "kestrel --data-dir $work/data" || true
    pkill -f "vigilo-sim --listen 127.0.0.9" || true
    pkill -f "vigilo-sim --range 127.0.0.2 7" || true
    rm -rf "$work"
}
trap cleanup EXIT
build/kestrel --init-db --demo --data-dir "$work/data" >/dev/null
mkfifo "$work/quiet.in"
build/vigilo-sim --range 127.0.0.2 7 --changes-only <"$work/quiet.in" >"$work/quiet.out" 2>&1 &
exec 3>"$work/quiet.in"
python3 -c "
import sys, time
text = 'x' * (1 << 20)
time.sleep(8)
for i in range(240):
    sys.stdout.write('1 MSGBOX ' + text + '\n'); sys.stdout.flush(); time.sleep(0.25)
time.sleep(2)
print('quit')" | build/vigilo-sim --listen 127.0.0.9 --changes-only >/dev/null 2>&1 &
XDG_RUNTIME_DIR="$work" XDG_CONFIG_HOME="$work" LC_NUMERIC=es_EC.UTF-8 \
    xvfb-run -a -s "-screen 0 1024x768x24" build/kestrel --data-dir "$work/data" >/dev/null 2>&1 &
sleep 8
echo stats >&3 # before the flood
sleep 62
echo stats >&3 # after a minute of it
sleep 1
echo quit >&3
sleep 1
grep '^stats' "$work/quiet.out"
