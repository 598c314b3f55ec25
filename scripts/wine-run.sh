#!/usr/bin/env bash
# Runs one Windows program under Wine with the build's private prefix, bounded in time.
set -u
exe=$1; shift
build=$(cd "$(dirname "$exe")" && while [ ! -f CMakeCache.txt ] && [ "$PWD" != / ]; do cd ..; done; pwd)
# shellcheck source=/dev/null
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh" "$build"
exec timeout -k 10 "${MIROLT_TEST_TIMEOUT:-500}" "$WINE" "$exe" "$@"
