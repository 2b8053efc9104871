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
# The reference FSRS scheduler (ts-fsrs from the npm registry, run by Node) checks the review's.
"$root/tools/fsrs-oracle.sh" "$build"

# A private X server for the tests that need real windows, the clipboard and a tray.
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT
# Starts an Xvfb on a display number it finds free itself and sets the variable named $1 to ":N"
# once the server accepts clients; fails when none came up.
start_xvfb() {
    local fifo number=""
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    pids+=($!)
    # The number comes when the server is ready; nothing comes when it could not start.
    read -r -t 60 number <"$fifo" || true
    rm -f "$fifo"
    if [ -z "$number" ] || ! xdpyinfo -display ":$number" >/dev/null 2>&1; then
        echo "test.sh: no X server could be started (Xvfb)" >&2
        return 1
    fi
    printf -v "$1" ':%s' "$number"
}
start_xvfb display || exit 1
export DISPLAY=$display

# The window manager (openbox) and the tray host (trayer) on that server. Started again when one
# of them is not running (what they print is kept, and shown when one does not come up or ended
# while the tests ran); up once each owns its part of the screen.
xlogs=$(mktemp -d)
wm_pid="" tray_pid=""
wm_up() {
    local check
    [ -n "$wm_pid" ] && kill -0 "$wm_pid" 2>/dev/null || return 1
    check=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | sed -n 's/.*window id # //p')
    [ -n "$check" ] && xprop -id "$check" >/dev/null 2>&1
}
# Says what went wrong with them, and what they printed.
desktop_problem() {
    echo "test.sh: $1:" >&2
    tail -n 20 "$xlogs"/*.log >&2 || true
}
tray_up() {
    [ -n "$tray_pid" ] && kill -0 "$tray_pid" 2>/dev/null &&
        xdotool search --class trayer >/dev/null 2>&1
}
start_desktop() {
    if ! wm_up; then
        [ -z "$wm_pid" ] || echo "test.sh: the window manager had ended; starting it again" >&2
        openbox --sm-disable >>"$xlogs/openbox.log" 2>&1 &
        wm_pid=$!
        pids+=($!)
    fi
    if ! tray_up; then
        [ -z "$tray_pid" ] || echo "test.sh: the tray host had ended; starting it again" >&2
        trayer --edge top --align right --widthtype request --height 24 >>"$xlogs/trayer.log" 2>&1 &
        tray_pid=$!
        pids+=($!)
    fi
    for _ in $(seq 600); do
        wm_up && tray_up && return 0
        sleep 0.1
    done
    desktop_problem "the window manager or the tray host did not come up on $DISPLAY"
    return 1
}

status=0
# The tests in real windows first, one at a time (label "desktop"), with the window manager and
# the tray host seen running just before; then the tests on Qt's offscreen platform, in parallel.
start_desktop || status=1
(cd "$build" && ctest --output-on-failure --timeout 300 -L desktop) || status=$?
if ! wm_up || ! tray_up; then
    desktop_problem "the window manager or the tray host ended while the desktop tests ran"
    status=1
fi
(cd "$build" && ctest --output-on-failure --timeout 300 -j "$(nproc)" -LE desktop) || status=$?
# Nothing there needs them; said only so that a run that loses them is known for it.
if ! wm_up || ! tray_up; then
    desktop_problem "note: the window manager or the tray host ended during the offscreen tests"
fi

# Desktop sessions, on an X server of their own without a tray host: a private D-Bus session bus
# for the StatusNotifierItem tray tests (they register the watcher themselves), then weston with
# XWayland for the Wayland session tests. Weston runs its X11 backend there, because its headless
# backend gives clients no seat, and wl-copy cannot copy without one.
start_xvfb desk_display || exit 1
desk_run=$(mktemp -d)
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
pids+=("$(echo "$bus" | sed -n 2p)")
(cd "$build" && DISPLAY=$desk_display DBUS_SESSION_BUS_ADDRESS=$(echo "$bus" | sed -n 1p) \
    VEXLO_PRIVATE_SESSION_BUS=1 ctest --output-on-failure --timeout 300 -L dbus) || status=$?
XDG_RUNTIME_DIR=$desk_run DISPLAY=$desk_display weston --backend=x11-backend.so --use-pixman \
    --socket=vexlo-wayland --xwayland --no-config --idle-time=0 --width=1280 --height=1024 \
    --log="$desk_run/weston.log" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    grep -q 'xserver listening on display' "$desk_run/weston.log" 2>/dev/null && break
    sleep 0.1
done
xwayland=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$desk_run/weston.log" | head -1)
if [ -S "$desk_run/vexlo-wayland" ] && [ -n "$xwayland" ]; then
    (cd "$build" && DISPLAY=$xwayland WAYLAND_DISPLAY=$desk_run/vexlo-wayland \
        XDG_RUNTIME_DIR=$desk_run VEXLO_WAYLAND_SESSION=1 \
        ctest --output-on-failure --timeout 300 -L wayland) || status=$?
else
    echo "weston with XWayland did not start:" >&2
    cat "$desk_run/weston.log" >&2 || true
    status=1
fi

# The Debian package: built from this build, checked by lintian, installed, run and removed.
"$root/dist/check-package.sh" "$build" || status=$?

# Fuzz and randomized tests of the file readers, under AddressSanitizer.
if [ ! -f "$asan/build.ninja" ]; then
    launcher=()
    command -v ccache >/dev/null 2>&1 &&
        launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$root" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVEXLO_SANITIZE=ON \
        -DVEXLO_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
fi
fuzz_targets=$(ninja -C "$asan" -t targets all | sed -n 's/^\(fuzz_[A-Za-z0-9_]*\): .*/\1/p' | sort -u)
if [ -n "$fuzz_targets" ]; then
    cmake --build "$asan" --parallel "$(nproc)" --target $fuzz_targets
    (cd "$asan" && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure --timeout 600 -L fuzz) || status=$?
fi
exit $status
