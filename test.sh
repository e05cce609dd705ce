#!/usr/bin/env bash
# Builds Kestrel with AddressSanitizer and UBSan into build-test/ and runs every test suite
# headless. On a fresh Debian 12 machine it first installs what is missing.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh

kestrel_ensure_packages "${kestrel_packages[@]}"
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTREL_SANITIZE=ON
cmake --build build-test -j2

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd build-test
ctest --output-on-failure -j2 "$@"
