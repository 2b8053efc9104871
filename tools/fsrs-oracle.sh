#!/usr/bin/env bash
# Installs the reference FSRS scheduler (ts-fsrs, at the version tests/review/fsrs-oracle pins,
# from the npm registry) into BUILD/fsrs-oracle, where the review tests run it with Node.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${VEXLO_BUILD_DIR:-$root/build}}
dir=$build/fsrs-oracle
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
cp "$root/tests/review/fsrs-oracle/package.json" "$root/tests/review/fsrs-oracle/oracle.js" "$dir/"
want=$(node -p 'require(process.argv[1]).dependencies["ts-fsrs"]' "$dir/package.json")
have=$(node -p 'try { require(process.argv[1]).version } catch (e) { "" }' \
    "$dir/node_modules/ts-fsrs/package.json" 2>/dev/null || true)
if [ "$have" != "$want" ]; then
    (cd "$dir" && npm install --no-audit --no-fund --no-package-lock --loglevel=error)
fi
