#!/usr/bin/env bash
# libjpeg-turbo from Debian's source package, cross-built with MinGW-w64 as a static library for the
# screenshots' JPEG encoder. Once per build folder: with the library installed it does nothing.
# usage: build-libjpeg.sh BUILD ARCH   (ARCH: i686 or x86_64; installs into BUILD/libjpeg-turbo/ARCH)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
base="$(realpath -m "$1")/libjpeg-turbo"
arch=$2
prefix="$base/$arch"
toolchain="$root/cmake/mingw-$arch.cmake"
[ -f "$toolchain" ] || { echo "build-libjpeg.sh: no toolchain file for $arch" >&2; exit 2; }
[ -f "$prefix/lib/libjpeg.a" ] && [ -f "$prefix/include/jpeglib.h" ] && exit 0

. "$here/debian-source.sh"
cache="$base/source"
tree="$cache/tree"
debian_source libjpeg-turbo "$cache"

# nasm gives the SIMD code; the static library only, without the TurboJPEG API.
work="$base/build-$arch"
cmake -S "$tree" -B "$work" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DCMAKE_INSTALL_LIBDIR="$prefix/lib" -DCMAKE_INSTALL_INCLUDEDIR="$prefix/include" >/dev/null
cmake --build "$work" -j "${JOBS:-2}" >/dev/null
cmake --install "$work" >/dev/null
