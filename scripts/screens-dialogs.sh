#!/usr/bin/env bash
# Screenshots of the dialogs under Xvfb: build/screens/{options,about,about-expanded,start}.png.
# Needs a built tree (make build). Uses a prefix of its own in which Wine draws the window frames
# itself (there is no window manager on the virtual display).
set -euo pipefail
build=$(realpath -m "${1:-build}")
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${KW_SCREENS_INNER:-}" ]; then
  export KW_SCREENS_INNER=1
  exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" "$build"
fi
out="$build/screens"
prefix="$out/prefix"
mkdir -p "$out"
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all LC_ALL=ru_RU.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  wineboot -i >/dev/null 2>&1 </dev/null
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
  wineserver -w
fi
wineserver -p >/dev/null 2>&1 </dev/null || true
wine cmd /c exit >/dev/null 2>&1 </dev/null
exe="$build/bin/kw_show_dialog.exe"
for which in options about about-expanded start; do
  wine "$exe" "$which" 6 >/dev/null 2>&1 </dev/null &
  pid=$!
  sleep 3
  import -window root "$out/$which-full.png"
  # The screen is black around the dialog: trim it down to the dialog's frame.
  convert "$out/$which-full.png" -trim +repage "$out/$which.png"
  rm -f "$out/$which-full.png"
  wait $pid || true
  echo "$out/$which.png"
done
wineserver -k >/dev/null 2>&1 </dev/null || true
