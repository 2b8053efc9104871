#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor on a demo dictionary made from the
# sample vocabulary in data/. Settings go to a private registry file beside it, so the demo never
# touches your own dictionary or settings.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VEXLO_BUILD_DIR:-$root/build}
"$root/tools/deps.sh"
"$root/tools/build.sh"
demo=${XDG_DATA_HOME:-$HOME/.local/share}/vexlo-vocabulary-demo
mkdir -p "$demo"
export VEXLO_REGISTRY="$demo/registry.reg"
exec "$build/vexlo-vocabulary" --demo "$demo" "$@"
