#!/usr/bin/env bash
# Builds Kestrel with AddressSanitizer and UBSan into build-test/ and runs every test suite
# headless. On a fresh Debian 12 machine it first installs what is missing.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh

kestrel_ensure_packages "${kestrel_packages[@]}" "${kestrel_test_packages[@]}"
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTREL_SANITIZE=ON
cmake --build build-test -j2

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
(cd build-test && ctest --output-on-failure -j2 "$@")

# Short fuzzing runs of the station request handling and of the station agent's reader, where
# clang and its libFuzzer are installed (they are not required: without them this step is
# skipped). KESTREL_FUZZ_SECONDS (each) sets their length; 0 skips them.
fuzz_seconds=${KESTREL_FUZZ_SECONDS:-15}
if [ "$fuzz_seconds" -gt 0 ] && command -v clang++ >/dev/null \
    && echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' \
        | clang++ -x c++ -fsanitize=fuzzer - -o /dev/null 2>/dev/null; then
    CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKESTREL_SANITIZE=ON -DKESTREL_FUZZ=ON >/dev/null
    cmake --build build-fuzz -j2 --target fuzz_requests fuzz_agent
    for target in requests:seeds agent:agent-seeds; do
        mkdir -p "build-fuzz/corpus-${target%%:*}"
        "build-fuzz/fuzz_${target%%:*}" -max_total_time="$fuzz_seconds" -print_final_stats=1 \
            "build-fuzz/corpus-${target%%:*}" "tests/fuzz/${target#*:}" 2>&1 | tail -n 3
    done
else
    echo "fuzzing skipped (clang++ with libFuzzer not found)"
fi
