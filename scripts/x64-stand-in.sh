#!/usr/bin/env bash
# For a machine that runs no 32-bit x86 code: builds the same sources for x86_64 into BUILD/x64 and makes
# a folder for the front of PATH in which "wine", "wineboot" and "winepath" go to Wine's 64-bit loader.
# Prints that folder.
# The product stays the 32-bit build; this build only stands in for it where it cannot run.
# usage: x64-stand-in.sh BUILD
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
x64="$(realpath -m "$1")/x64"
# A configure that failed half-way leaves a cache but no Makefile: it is run again.
if [ ! -f "$x64/Makefile" ]; then
  cmake -S "$root" -B "$x64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release >&2
fi
cmake --build "$x64" -j "${JOBS:-2}" >&2
mkdir -p "$x64/shim"
printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' > "$x64/shim/wine"
printf '#!/bin/sh\nexec /usr/lib/wine/wine64 wineboot "$@"\n' > "$x64/shim/wineboot"
# Debian's winepath starts the 32-bit loader too.
printf '#!/bin/sh
exec /usr/lib/wine/wine64 winepath "$@"
' > "$x64/shim/winepath"
chmod +x "$x64/shim/wine" "$x64/shim/wineboot" "$x64/shim/winepath"
echo "$x64/shim"
