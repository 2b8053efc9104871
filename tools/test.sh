#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the unit and widget tests (offscreen),
# the real-window tests on a private X server with a window manager and a tray host, and the
# fuzz tests in a separate AddressSanitizer build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VEXLO_BUILD_DIR:-$root/build}
asan=${VEXLO_ASAN_DIR:-$root/build-asan}

"$root/tools/deps.sh"
"$root/tools/build.sh"
# KDE's vocabulary-document library (Qt 5) checks our .kvtml files: a small project of its own.
cmake -S "$root/tests/interchange/kvtml-oracle" -B "$build/kvtml-oracle" -G Ninja >/dev/null
cmake --build "$build/kvtml-oracle"

# A private X server for the tests that need real windows, the clipboard and a tray.
display=""
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT
for n in $(seq 90 130); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$display
openbox >/dev/null 2>&1 &
pids+=($!)
trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
pids+=($!)
sleep 0.5

status=0
(cd "$build" && ctest --output-on-failure --timeout 300 -j "$(nproc)") || status=$?

# Fuzz and randomized tests of the file readers, under AddressSanitizer.
if [ ! -f "$asan/build.ninja" ]; then
    cmake -S "$root" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVEXLO_SANITIZE=ON \
        -DVEXLO_BUILD_BENCH=OFF >/dev/null
fi
fuzz_targets=$(ninja -C "$asan" -t targets all | sed -n 's/^\(fuzz_[A-Za-z0-9_]*\): .*/\1/p' | sort -u)
if [ -n "$fuzz_targets" ]; then
    cmake --build "$asan" --parallel "$(nproc)" --target $fuzz_targets
    (cd "$asan" && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure --timeout 600 -L fuzz) || status=$?
fi
exit $status
