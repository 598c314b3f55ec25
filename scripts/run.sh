#!/usr/bin/env bash
# Installs what is missing, builds the win64 program and starts it under Wine
# on the current display with the sample picture on its command line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if [ -z "${DISPLAY:-}" ]; then
  cat >&2 <<'MSG'
No display: DISPLAY is not set, so Mirolt has nowhere to show its windows.
Run this from a desktop session (an X session), or start a virtual display first and
look at it with a VNC viewer, for example:
    Xvfb :1 -screen 0 1280x1024x24 &
    x11vnc -display :1 -forever &        # then connect a VNC viewer to this machine
    DISPLAY=:1 bash scripts/run.sh
MSG
  exit 1
fi
bash scripts/deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j 4 --target dist
# shellcheck source=/dev/null
source scripts/wine-env.sh "$root/build/win64" wineprefix-run
dist=$root/build/win64/dist/Mirolt
exec "$WINE" "$dist/Mirolt.exe" "Z:${dist//\//\\}\\sample.bmp"
