#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs, when any is missing.
#   tools/deps.sh --run   what building and running the program needs (the demo's command)
#   tools/deps.sh         that and everything the tests, benchmarks and package checks need
set -euo pipefail
# Building and running the program.
packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev qt6-qpa-plugins
    qt6-l10n-tools qt6-translations-l10n
    libsqlite3-dev libjpeg62-turbo-dev libicu-dev mdbtools-dev zlib1g-dev libquazip1-qt6-dev
    libespeak-ng-dev espeak-ng-data libpcaudio-dev
    fonts-dejavu-core
)
if [ "${1:-}" != "--run" ]; then
    # The tests: GoogleTest and Google Benchmark, the sqlite3 shell and mdbtools' programs that make
    # and read test files, KDE's vocabulary-document library (Qt 5) as an oracle, a private X
    # server with a window manager and a tray host, and the X tools the real-window tests drive.
    packages+=(
        libgtest-dev libgmock-dev libbenchmark-dev
        sqlite3 mdbtools libkeduvocdocument-dev qtbase5-dev
        xvfb xauth xclip xdotool x11-utils trayer openbox fonts-liberation
    )
    # Node runs the reference FSRS scheduler the review tests compare with. Debian's npm comes
    # apart from its nodejs; a nodejs from elsewhere (NodeSource) carries its own npm and
    # conflicts with Debian's.
    packages+=(nodejs)
    # A spreadsheet that opens our .csv files and saves its own, in the interchange tests.
    packages+=(libreoffice-calc-nogui)
    # The reference dictionary: FreeDict's English–Bulgarian dictionary, and dictd's own tools
    # that make the small dictionaries of the reference tests.
    packages+=(dict-freedict-eng-bul dictfmt dictzip)
    # Desktop integration and its tests: Qt's Wayland plugin, a headless Wayland compositor with
    # XWayland, the Wayland clipboard tools, a private D-Bus session bus, the freedesktop
    # validators, the Debian package tools and checker, the icon renderer.
    packages+=(
        qt6-wayland weston xwayland wl-clipboard dbus-daemon
        desktop-file-utils appstream lintian dpkg-dev fakeroot file man-db librsvg2-bin
    )
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" = 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# npm, unless the installed nodejs already brings it.
if [ "${1:-}" != "--run" ] && ! command -v npm >/dev/null 2>&1; then
    sudo=""
    [ "$(id -u)" = 0 ] || sudo="sudo"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends npm
fi
