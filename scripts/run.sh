#!/usr/bin/env bash
# Installs what is missing, builds the win64 program and starts it under Wine
# on the current display with the sample picture on its command line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$(nproc)" --target dist
# shellcheck source=/dev/null
source scripts/wine-env.sh "$root/build/win64" wineprefix-run
dist=$root/build/win64/dist/Mirolt
exec "$WINE" "$dist/Mirolt.exe" "Z:${dist//\//\\}\\sample.bmp"
