# Sourced: sets up a private Wine prefix of a build folder ($1, default build/win64).
# $2 names the prefix: "wineprefix" (tests, default) or another one for interactive runs.
# The test prefix leaves windows unmanaged: on a display without a window manager Wine
# would otherwise wait two seconds for every window it hides.
_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
_build=$(realpath -m "${1:-$_root/build/win64}")
_name=${2:-wineprefix}
export WINEPREFIX=$_build/$_name
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LC_ALL=ja_JP.UTF-8
export WINE=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver

if [ ! -f "$WINEPREFIX/.mirolt-ready" ]; then
  mkdir -p "$WINEPREFIX"
  timeout 300 "$WINE" wineboot -i >/dev/null 2>&1 || true
  timeout 120 "$WINESERVER" -w
  # The designed fonts render with the IPA fonts.
  cat > "$WINEPREFIX/fonts.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"ＭＳ Ｐゴシック"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"
"ＭＳ Ｐ明朝"="IPAPMincho"
"ＭＳ 明朝"="IPAMincho"
"MS PGothic"="IPAPGothic"
"MS Gothic"="IPAGothic"
"MS UI Gothic"="IPAPGothic"
REG
  if [ "$_name" = wineprefix ]; then
    printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"="N"\n' >> "$WINEPREFIX/fonts.reg"
  fi
  { printf '\xff\xfe'; sed 's/$/\r/' "$WINEPREFIX/fonts.reg" | iconv -f UTF-8 -t UTF-16LE; } > "$WINEPREFIX/fonts16.reg"
  timeout 120 "$WINE" regedit "$WINEPREFIX/fonts16.reg" >/dev/null 2>&1
  timeout 120 "$WINESERVER" -w
  touch "$WINEPREFIX/.mirolt-ready"
fi
unset _root _build _name
