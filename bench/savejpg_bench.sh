#!/usr/bin/env bash
# SaveJPG.DLL against cjpeg (libjpeg-turbo) on the same 4000 x 3000 picture at quality 75,
# in the same run: prints both times (best and median of five) and their ratio.
# Builds what it needs of the configured win64 build; needs no display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
command -v cjpeg >/dev/null || { echo "cjpeg missing: bash scripts/deps.sh installs it"; exit 1; }
cmake --build --preset win64 -j4 --target savejpg_bench >/dev/null
# shellcheck source=/dev/null
source "$root/scripts/wine-env.sh" "$root/build/win64"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

dll_line=$(timeout 300 "$WINE" "$root/build/win64/bench/savejpg_bench.exe" \
  "Z:${work//\//\\}\\picture.ppm" "Z:${work//\//\\}\\dll.jpg" | tr -d '\r')
echo "$dll_line"

times=()
for _ in 1 2 3 4 5; do
  start=$(date +%s%N)
  cjpeg -quality 75 -outfile "$work/cjpeg.jpg" "$work/picture.ppm"
  times+=($(( $(date +%s%N) - start )))
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
ms() { awk -v n="$1" 'BEGIN { printf "%.1f", n / 1e6 }'; }
echo "cjpeg -quality 75 (whole process): best $(ms "${sorted[0]}") ms, median $(ms "${sorted[2]}") ms"

dll_best=$(sed -E 's/.*best ([0-9.]+) ms.*/\1/' <<<"$dll_line")
dll_median=$(sed -E 's/.*median ([0-9.]+) ms.*/\1/' <<<"$dll_line")
awk -v db="$dll_best" -v dm="$dll_median" -v cb="${sorted[0]}" -v cm="${sorted[2]}" 'BEGIN {
  printf "ratio SaveJPG.DLL / cjpeg: best %.2f, median %.2f (target: at most 1.5)\n",
    db / (cb / 1e6), dm / (cm / 1e6) }'
printf 'sizes: SaveJPG.DLL %s bytes, cjpeg %s bytes\n' "$(stat -c %s "$work/dll.jpg")" \
  "$(stat -c %s "$work/cjpeg.jpg")"
