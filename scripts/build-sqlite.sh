#!/usr/bin/env bash
# SQLite from Debian's source package, cross-built with MinGW-w64 as a static library for the support
# library's package index. Debian ships SQLite's canonical tree, not the one-file amalgamation: the tree's
# own configure and make produce sqlite3.c and sqlite3.h on this machine (with tclsh), once per build
# folder for both architectures, and the MinGW compiler of the toolchain file compiles that one file.
# With the library installed it does nothing.
# usage: build-sqlite.sh BUILD ARCH   (ARCH: i686 or x86_64; installs into BUILD/sqlite/ARCH)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
base="$(realpath -m "$1")/sqlite"
arch=$2
prefix="$base/$arch"
toolchain="$root/cmake/mingw-$arch.cmake"
[ -f "$toolchain" ] || { echo "build-sqlite.sh: no toolchain file for $arch" >&2; exit 2; }
# Kept to the few options the index needs:
# - THREADSAFE=1: serialized, so a connection may be shared between threads.
# - DEFAULT_WAL_SYNCHRONOUS=1: NORMAL in WAL mode: no flush per commit; a power cut may lose the last
#   commits but never corrupts the file.
# - OMIT_LOAD_EXTENSION: no SQL statement can make the program load a DLL.
# - DQS=0: a double-quoted name that matches no column is an error, not a string literal.
# - DEFAULT_FOREIGN_KEYS=1: the index's references are enforced without a PRAGMA per connection.
# - WIN32_MALLOC: SQLite's memory from a heap of its own. Under Wine the process heap has one lock, and a
#   library add writes on one thread while the next package is unpacked on another: with one heap the two
#   spent a fifth of the add waiting for each other.
# - DEFAULT_MEMSTATUS=0: no count of SQLite's memory, which took a mutex on every allocation.
flags="-O2 -DSQLITE_THREADSAFE=1 -DSQLITE_DEFAULT_WAL_SYNCHRONOUS=1 -DSQLITE_OMIT_LOAD_EXTENSION -DSQLITE_DQS=0
  -DSQLITE_DEFAULT_FOREIGN_KEYS=1 -DSQLITE_WIN32_MALLOC -DSQLITE_DEFAULT_MEMSTATUS=0"
flags=$(echo $flags)
# Built again when the options differ from those the installed library was built with.
[ -f "$prefix/lib/libsqlite3.a" ] && [ -f "$prefix/include/sqlite3.h" ] &&
  [ "$(cat "$prefix/options" 2>/dev/null)" = "$flags" ] && exit 0

cc=$(sed -n 's/^set(CMAKE_C_COMPILER \([^ )]*\))$/\1/p' "$toolchain")
[ -n "$cc" ] || { echo "build-sqlite.sh: $toolchain names no C compiler" >&2; exit 2; }
ar="${cc%-gcc*}-ar"
command -v tclsh >/dev/null || { echo "build-sqlite.sh: tclsh is missing (scripts/install-deps.sh)" >&2; exit 2; }

. "$here/debian-source.sh"
cache="$base/source"
tree="$cache/tree"
amalgamation="$base/amalgamation"
jobs="${JOBS:-2}"

# The amalgamation is the same for both architectures. It is made in a scratch folder and moved into
# place whole, so that an interrupted run leaves no half-written sqlite3.c behind.
if [ ! -f "$amalgamation/sqlite3.c" ] || [ ! -f "$amalgamation/sqlite3.h" ]; then
  debian_source sqlite3 "$cache"
  scratch="$base/amalgamation-work"
  rm -rf "$scratch" "$amalgamation" "$amalgamation.new"
  mkdir -p "$scratch"
  # Only tclsh and the host compiler are needed: no Tcl extension, no shell with readline.
  (cd "$scratch" && CC=cc CFLAGS=-O1 "$tree/configure" --disable-tcl --disable-readline >configure.log 2>&1 &&
     make -j "$jobs" sqlite3.c sqlite3.h >make.log 2>&1) || {
    echo "build-sqlite.sh: making the amalgamation failed; the end of $scratch's logs:" >&2
    tail -n 20 "$scratch"/configure.log "$scratch"/make.log >&2 2>/dev/null || true
    exit 1
  }
  mkdir -p "$amalgamation.new"
  cp "$scratch/sqlite3.c" "$scratch/sqlite3.h" "$amalgamation.new/"
  mv "$amalgamation.new" "$amalgamation"
  # The extracted tree (about 150 MB) is not needed again; the cache keeps the source package.
  rm -rf "$scratch" "$tree"
fi

work="$base/build-$arch"
rm -rf "$work"
mkdir -p "$work"
# shellcheck disable=SC2086 # the options are words
"$cc" $flags -c "$amalgamation/sqlite3.c" -o "$work/sqlite3.o"
"$ar" rcs "$work/libsqlite3.a" "$work/sqlite3.o"
mkdir -p "$prefix/lib" "$prefix/include"
# The header goes in first, the options file last: it marks the install as done.
cp "$amalgamation/sqlite3.h" "$prefix/include/"
rm -f "$prefix/options"
mv "$work/libsqlite3.a" "$prefix/lib/libsqlite3.a"
echo "$flags" >"$prefix/options"
rm -rf "$work"
