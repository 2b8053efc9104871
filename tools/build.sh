#!/usr/bin/env bash
# Configures and builds into build/ (or $VEXLO_BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VEXLO_BUILD_DIR:-$root/build}
# A compiler cache, where one is installed, makes rebuilds of unchanged files (another checkout,
# a clean clone) quick.
launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@"
fi
cmake --build "$build" --parallel "$(nproc)"
