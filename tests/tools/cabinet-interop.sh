#!/usr/bin/env bash
# Cabinets written by the program unpack byte for byte with Linux's cabextract and gcab, and cabinets
# written by gcab unpack byte for byte with the program.
# usage: cabinet-interop.sh BIN_DIR   (KW_WINEPREFIX names the Wine prefix, as for every test)
set -euo pipefail
bin=$(realpath "$1")
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kw-cabinet.XXXXXX")
trap 'rm -rf "$work"' EXIT
winpath() { echo "Z:${1//\//\\}"; }
tool() { "$scripts/wine-run.sh" "$(winpath "$bin/kw_cabinet_tool.exe")" "$@" </dev/null; }

src="$work/src"
mkdir -p "$src"
head -c 1500000 /dev/urandom > "$src/random.bin"
seq 1 100000 > "$src/lines.txt"
printf '\xef\xf0\xe8\xe2\xe5\xf2\r\n' > "$src/Отчёт СТП.txt"   # Cyrillic name, ANSI bytes inside
: > "$src/empty.txt"
printf '[x]\r\n' > "$src/(REG)(64)HKLM_TAVIR.txt"

tool pack "$(winpath "$src")" "$(winpath "$work/kw.cab")"
mkdir "$work/cabextract" "$work/gcab"
cabextract -q -d "$work/cabextract" "$work/kw.cab"
gcab -x -C "$work/gcab" "$work/kw.cab"
diff -r "$src" "$work/cabextract"
diff -r "$src" "$work/gcab"
echo "written by the program: cabextract and gcab -x unpack every file byte for byte"

(cd "$src" && gcab -c -z "$work/gcab.cab" -- *)
mkdir "$work/kw"
tool unpack "$(winpath "$work/gcab.cab")" "$(winpath "$work/kw")"
diff -r "$src" "$work/kw"
echo "written by gcab -c -z: the program unpacks every file byte for byte"
