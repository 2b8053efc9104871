#!/usr/bin/env bash
# Makes the Debian package from a configured and built tree (argument: the build folder), checks it
# with lintian, installs it, runs the installed program and removes the package again.
# Needs root or sudo for installing. A vexlo-vocabulary package installed before is left alone:
# then only the package is built and checked.
set -euo pipefail
build=$(cd "$1" && pwd)
sudo=""
[ "$(id -u)" = 0 ] || sudo="sudo"

rm -f "$build"/vexlo-vocabulary_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/vexlo-vocabulary_*.deb)
version=$(dpkg-deb -f "$deb" Version)
echo "Package: $deb"
dpkg-deb -f "$deb" Depends
dpkg-deb -f "$deb" Recommends | grep -qw dict-freedict-eng-bul || {
    echo "the package does not recommend dict-freedict-eng-bul" >&2
    exit 1
}
lintian --fail-on error "$deb" 2>/dev/null || {
    lintian "$deb"
    echo "lintian found errors in $deb" >&2
    exit 1
}

if dpkg-query -W -f='${Status}' vexlo-vocabulary 2>/dev/null | grep -q 'install ok installed'; then
    echo "vexlo-vocabulary is installed already: not installing the new package over it."
    exit 0
fi
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=300 "$deb" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
got=$(env -u LD_LIBRARY_PATH vexlo-vocabulary --version) || status=1
[ "$got" = "Vexlo Vocabulary 2007 $version" ] || { echo "--version said: $got" >&2; status=1; }
env -u LD_LIBRARY_PATH vexlo-vocabulary --create-sample "$work/sample.db" >/dev/null || status=1
[ "$(sqlite3 "$work/sample.db" 'SELECT count(*) > 0 FROM English')" = 1 ] || status=1
files=$(dpkg-query -L vexlo-vocabulary | while read -r f; do [ -f "$f" ] && echo "$f"; done)
DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq -o DPkg::Lock::Timeout=300 \
    vexlo-vocabulary >/dev/null
for f in $files; do
    [ ! -e "$f" ] || { echo "left behind after removal: $f" >&2; status=1; }
done
if dpkg-query -W -f='${Status}' vexlo-vocabulary 2>/dev/null | grep -q 'install ok installed'; then
    echo "the package is still installed" >&2
    status=1
fi
[ $status = 0 ] && echo "The package installs, runs (--version, --create-sample) and uninstalls cleanly."
exit $status
