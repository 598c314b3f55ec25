#!/usr/bin/env bash
# Installs what is missing, checks the formatting, then builds and tests everything with
# the win64 configuration, which also builds host and win32 and starts and stops its own
# Xvfb display and Wine server around the Windows tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/deps.sh

# Every C++ file follows the project's .clang-format.
sources() { git ls-files '*.cpp' '*.h' 2>/dev/null ||
  find core platform app program filters textart formats bridge savejpg tests bench -name '*.cpp' -o -name '*.h' 2>/dev/null || true; }
unformatted=$(sources | while read -r f; do
  clang-format --style=file "$f" | cmp -s "$f" - || echo "$f"; done)
if [ -n "$unformatted" ]; then
  echo "Not formatted with clang-format --style=file:"; echo "$unformatted"; exit 1
fi

# The display fixture stops itself after the tests; this covers an interrupted run.
trap 'bash scripts/display.sh stop "$root/build/win64" >/dev/null 2>&1 || true' EXIT INT TERM

cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$(nproc)"
ctest --preset win64 -j 4
