#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor on a demo dictionary made from the
# sample vocabulary in data/. Settings go to a private registry file beside it, so the demo never
# touches your own dictionary or settings.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Only the program is built (no tests, no benchmarks), in a folder of its own so that the test
# build in build/ is left as it is.
build=${VEXLO_DEMO_BUILD_DIR:-$root/build-demo}
"$root/tools/deps.sh" --run
VEXLO_BUILD_DIR=$build "$root/tools/build.sh" -DVEXLO_BUILD_TESTS=OFF -DVEXLO_BUILD_BENCH=OFF
demo=${XDG_DATA_HOME:-$HOME/.local/share}/vexlo-vocabulary-demo
mkdir -p "$demo"
export VEXLO_REGISTRY="$demo/registry.reg"
exec "$build/vexlo-vocabulary" --demo "$demo" "$@"
