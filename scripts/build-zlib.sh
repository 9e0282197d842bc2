#!/usr/bin/env bash
# zlib from Debian's source package, cross-built with MinGW-w64 as a static library for the cabinet code
# (MSZIP is deflate). Once per build folder: with the library installed it does nothing.
# usage: build-zlib.sh BUILD ARCH   (ARCH: i686 or x86_64; installs into BUILD/zlib/ARCH)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
base="$(realpath -m "$1")/zlib"
arch=$2
prefix="$base/$arch"
toolchain="$root/cmake/mingw-$arch.cmake"
[ -f "$toolchain" ] || { echo "build-zlib.sh: no toolchain file for $arch" >&2; exit 2; }
[ -f "$prefix/lib/libz.a" ] && [ -f "$prefix/include/zlib.h" ] && [ -f "$prefix/include/zconf.h" ] && exit 0

. "$here/debian-source.sh"
cache="$base/source"
tree="$cache/tree"
debian_source zlib "$cache"

# The static library only; zlib's CMake names it zlibstatic on Windows and writes zconf.h into the build.
work="$base/build-$arch"
cmake -S "$tree" -B "$work" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work" --target zlibstatic -j "${JOBS:-2}" >/dev/null
mkdir -p "$prefix/lib" "$prefix/include"
cp "$work/libzlibstatic.a" "$prefix/lib/libz.a"
cp "$tree/zlib.h" "$work/zconf.h" "$prefix/include/"
