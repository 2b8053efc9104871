#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need, when any is missing.
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev qt6-qpa-plugins
    libsqlite3-dev sqlite3 libjpeg62-turbo-dev libicu-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth xclip xdotool x11-utils trayer openbox
    fonts-dejavu-core fonts-liberation
    mdbtools mdbtools-dev libkeduvocdocument-dev qtbase5-dev
    libespeak-ng-dev espeak-ng-data libpcaudio-dev
)
# Desktop integration and its tests: Qt's Wayland plugin, a headless Wayland compositor with
# XWayland, the Wayland clipboard tools, a private D-Bus session bus, the freedesktop validators,
# the Debian package tools and checker, the icon renderer.
packages+=(
    qt6-wayland weston xwayland wl-clipboard dbus-daemon
    desktop-file-utils appstream lintian dpkg-dev fakeroot file man-db librsvg2-bin
)
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
