#!/usr/bin/env bash
# Creates a Wine prefix once (64-bit or 32-bit Windows) and seeds the demo machine into it.
# usage: wine-prefix.sh PREFIX_DIR win64|win32
set -euo pipefail
prefix=$(realpath -m "$1")
arch=$2
here=$(cd "$(dirname "$0")" && pwd)

export WINEPREFIX="$prefix" WINEARCH="$arch" WINEDEBUG=-all LC_ALL=ru_RU.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="

if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$(dirname "$prefix")"
  wineboot -i >/dev/null 2>&1 </dev/null
  wineserver -w
fi
if [ -x "$here/seed-machine.sh" ]; then "$here/seed-machine.sh" "$prefix" "$arch"; fi
