#!/usr/bin/env bash
# Takes pictures of the console on the demo café under a virtual X server of 1024x768, the
# smallest screen a café runs it on: screenshots/console.png, messages.png, question.png,
# open-station.png, charge.png, prints.png, accounts.png, accounts-search.png, first-run.png and
# the others kestrel-shots names, then the options pages of a new café (options-*.png,
# setup-*.png), then the station agent's screens (agent-*.png).
# On a fresh Debian 12 machine it first installs what is missing (xvfb for the X server).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh

kestrel_ensure_packages "${kestrel_packages[@]}" xvfb xauth
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTREL_BUILD_TESTS=OFF >/dev/null
cmake --build build -j2 --target kestrel-shots kestrel-agent-shots

out=${1:-screenshots}
mkdir -p "$out"
# The cafés the console is made for write amounts with a decimal comma.
env LANG=C.UTF-8 LC_NUMERIC=es_EC.UTF-8 LC_TIME=es_EC.UTF-8 \
    xvfb-run -a -s "-screen 0 ${KESTREL_SCREEN:-1024x768}x24" build/kestrel-shots "$out"
# A new café set up from the options alone, then a station opened and charged (about 75 s).
env LANG=C.UTF-8 LC_NUMERIC=es_EC.UTF-8 LC_TIME=es_EC.UTF-8 \
    xvfb-run -a -s "-screen 0 ${KESTREL_SCREEN:-1024x768}x24" build/kestrel-shots "$out" --setup
# The station agent's screens (agent-*.png) on a common station screen of 1366x768.
xvfb-run -a -s "-screen 0 1366x768x24" build/kestrel-agent-shots "$out"
