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
dsc() { find "$cache" -maxdepth 1 -name 'libjpeg-turbo_*.dsc' | sort -V | tail -n 1; }
if [ -z "$(dsc)" ]; then
  enable_deb_src
  if ! (cd "$cache" && "${fetch[@]}" libjpeg-turbo </dev/null); then
    # The source entries may be there but their index not yet fetched.
    $SUDO apt-get update -qq </dev/null || true
    (cd "$cache" && "${fetch[@]}" libjpeg-turbo </dev/null)
  fi
fi
package=$(dsc)
[ -n "$package" ] || { echo "build-libjpeg.sh: apt-get source brought no libjpeg-turbo" >&2; exit 1; }

# Debian's patches come with the extraction. apt has checked the files against the signed index already;
# the maintainer's signature would need a keyring this machine does not have.
tree="$cache/tree"
if [ ! -f "$tree/CMakeLists.txt" ]; then
  rm -rf "$tree"
  dpkg-source --no-check -x "$package" "$tree" >/dev/null
fi

# nasm gives the SIMD code; the static library only, without the TurboJPEG API.
work="$base/build-$arch"
cmake -S "$tree" -B "$work" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DCMAKE_INSTALL_LIBDIR="$prefix/lib" -DCMAKE_INSTALL_INCLUDEDIR="$prefix/include" >/dev/null
cmake --build "$work" -j "${JOBS:-2}" >/dev/null
cmake --install "$work" >/dev/null
