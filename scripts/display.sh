#!/usr/bin/env bash
# The tests' private display and Wine server, started before the Windows tests and stopped
# after them (ctest fixtures): display.sh start|stop <build folder>.
set -u
action=$1
build=$(realpath -m "$2")
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=/dev/null
source "$root/scripts/wine-env.sh" "$build"

stop() {
  timeout 60 "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -f "$build/xvfb.pid" ]; then
    kill "$(cat "$build/xvfb.pid")" >/dev/null 2>&1 || true
  fi
  rm -f "$build/xvfb.pid" "$build/xvfb.display"
}

case "$action" in
start)
  stop
  dfile=$(mktemp)
  # Nothing started here may hold on to ctest's output: it waits for the pipes to close.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dfile" </dev/null >/dev/null 2>&1 &
  echo $! >"$build/xvfb.pid"
  for _ in $(seq 100); do [ -s "$dfile" ] && break; sleep 0.1; done
  if [ ! -s "$dfile" ]; then echo "Xvfb did not start"; rm -f "$dfile"; exit 1; fi
  head -n1 "$dfile" >"$build/xvfb.display"
  rm -f "$dfile"
  export DISPLAY=:$(cat "$build/xvfb.display")
  # A persistent server, warmed up once: each test process then starts in well under a second.
  "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
  timeout 120 "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
  echo "display $DISPLAY"
  ;;
stop)
  stop
  ;;
*)
  echo "usage: display.sh start|stop <build folder>"
  exit 2
  ;;
esac
