#!/usr/bin/env bash
# Runs one Windows program under Wine with the build's private prefix, on the build's
# private display (scripts/display.sh), bounded in time.
set -u
exe=$1; shift
build=$(cd "$(dirname "$exe")" && while [ ! -f CMakeCache.txt ] && [ "$PWD" != / ]; do cd ..; done; pwd)
# shellcheck source=/dev/null
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh" "$build"
if [ -f "$build/xvfb.display" ]; then export DISPLAY=:$(cat "$build/xvfb.display"); fi
exec timeout -k 10 "${MIROLT_TEST_TIMEOUT:-500}" "$WINE" "$exe" "$@"
