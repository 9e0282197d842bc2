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

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
# As root apt would hand the download to its own user, who cannot write into the build folder, and warn.
fetch=(apt-get source --download-only -qq)
[ "$(id -u)" -ne 0 ] || fetch+=(-o APT::Sandbox::User=root)

# apt-get source needs the source indices: deb-src beside every deb entry, then a fresh index.
enable_deb_src() {
  local changed=0 deb822=/etc/apt/sources.list.d/debian.sources legacy=/etc/apt/sources.list
  if [ -f "$deb822" ] && grep -q '^Types:' "$deb822" && grep '^Types:' "$deb822" | grep -qv 'deb-src'; then
    $SUDO sed -i '/^Types:/{/deb-src/!s/$/ deb-src/}' "$deb822"
    changed=1
  fi
  if [ -f "$legacy" ] && grep -q '^deb ' "$legacy" && ! grep -q '^deb-src ' "$legacy"; then
    sed -n 's/^deb /deb-src /p' "$legacy" | $SUDO tee -a "$legacy" >/dev/null
    changed=1
  fi
  # A mirror whose i386 security index lags behind fails the update but leaves the source indices usable.
  [ "$changed" -eq 0 ] || $SUDO apt-get update -qq </dev/null || true
}

cache="$base/source"
mkdir -p "$cache"
dsc() { find "$cache" -maxdepth 1 -name 'zlib_*.dsc' | sort -V | tail -n 1; }
if [ -z "$(dsc)" ]; then
  enable_deb_src
  if ! (cd "$cache" && "${fetch[@]}" zlib </dev/null); then
    # The source entries may be there but their index not yet fetched.
    $SUDO apt-get update -qq </dev/null || true
    (cd "$cache" && "${fetch[@]}" zlib </dev/null)
  fi
fi
package=$(dsc)
[ -n "$package" ] || { echo "build-zlib.sh: apt-get source brought no zlib" >&2; exit 1; }

# Debian's patches come with the extraction. apt has checked the files against the signed index already;
# the maintainer's signature would need a keyring this machine does not have.
tree="$cache/tree"
if [ ! -f "$tree/CMakeLists.txt" ]; then
  rm -rf "$tree"
  dpkg-source --no-check -x "$package" "$tree" >/dev/null
fi

# The static library only; zlib's CMake names it zlibstatic on Windows and writes zconf.h into the build.
work="$base/build-$arch"
cmake -S "$tree" -B "$work" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work" --target zlibstatic -j "${JOBS:-2}" >/dev/null
mkdir -p "$prefix/lib" "$prefix/include"
cp "$work/libzlibstatic.a" "$prefix/lib/libz.a"
cp "$tree/zlib.h" "$work/zconf.h" "$prefix/include/"
