#!/usr/bin/env bash
# A whole collection on a large machine: the demo machine with a generated library tree of FILES files
# (default 100,000, 1 to 100 KB, about 5 GB) in the libraries folder of MIRTAL-3D, collected by
# "KW_Scan.exe fullin" (the libraries are part of the full collection). Its peer, in the same run:
# `md5sum` over the same product trees plus the same collection without the library tree (the console
# catalogue and everything else the run does). Target: the run takes at most 1.3 times that sum.
# Everything lives under BUILD_DIR/bench-run and is removed afterwards (KEEP=1 keeps it).
# usage: bench/whole-run-bench.sh [BUILD_DIR]   (run under xvfb-run; BUILD_DIR/bin holds KW_Scan.exe)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "${1:-$here/../build}")
files=${FILES:-100000}
dir="$build/bench-run"
prefix="$dir/prefix"
tmp="$dir/tmp"
out="$dir/out"
trap '[ -n "${KEEP:-}" ] || rm -rf "$dir"' EXIT

export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all LC_ALL=ru_RU.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
"$here/../scripts/wine-prefix.sh" "$prefix" win64 >/dev/null 2>&1 </dev/null
wineserver -p >/dev/null 2>&1 </dev/null || true
wine cmd /c exit >/dev/null 2>&1 </dev/null

programs="$prefix/drive_c/Program Files/TAVIR"
library="$programs/MIRTAL-3D v21/Libs/Сгенерированные"
wexe="Z:${build//\//\\}\\bin\\KW_Scan.exe"

# One "fullin" run into a fresh output folder; prints its seconds.
full_run() {
  rm -rf "$tmp" "$out" && mkdir -p "$tmp" "$out"
  local wtmp="Z:${tmp//\//\\}" wout="Z:${out//\//\\}"
  # Wine drops the Unix TMP and TEMP: a batch file sets them for the program.
  printf '@set TMP=%s\r\n@set TEMP=%s\r\n@start /wait "" "%s" fullin "%s"\r\n' \
    "$wtmp" "$wtmp" "$wexe" "$wout" > "$dir/run.bat"
  local start end
  start=$(date +%s.%N)
  timeout 3600 wine cmd /c "Z:${dir//\//\\}\\run.bat" >/dev/null 2>&1 </dev/null || true
  end=$(date +%s.%N)
  ls "$out"/*.cab >/dev/null 2>&1 || { echo "no package from the run" >&2; exit 1; }
  echo "$end - $start" | bc
}

rm -rf "$library" # a prefix kept from an earlier run (KEEP=1) still has its tree
full_run >/dev/null # the first run of a prefix pays for Wine's own start-up
small=$(full_run)
echo "run without the library tree: $small s"

python3 - "$library" "$files" <<'PY'
import os, random, sys
root, count = sys.argv[1], int(sys.argv[2])
random.seed(22)
block = os.urandom(1 << 22)
total = 0
for i in range(count):
    d = os.path.join(root, "Раздел %02d" % (i % 50), "Группа %03d" % (i // 50 % 200))
    os.makedirs(d, exist_ok=True)
    size = random.randint(1024, 102400)
    off = random.randint(0, len(block) - size)
    with open(os.path.join(d, "Деталь %06d.m3d" % i), "wb") as f:
        f.write(block[off:off + size])
    total += size
print("library tree: %d files, %d bytes" % (count, total))
PY
find "$programs" -type f -print0 | xargs -0 cat >/dev/null # a warm cache for both
start=$(date +%s.%N)
find "$programs" -type f -print0 | xargs -0 md5sum >/dev/null
md5s=$(echo "$(date +%s.%N) - $start" | bc)
echo "md5sum over the product trees: $md5s s"

large=$(full_run)
echo "run with the library tree: $large s"
rows=$(find "$out" -name '*.cab' -exec stat -c %s {} \;)
echo "package: $rows bytes"
echo "ratio (run / (md5sum + run without the tree)): $(echo "scale=2; $large / ($md5s + $small)" | bc) (target at most 1.3)"
wineserver -k >/dev/null 2>&1 </dev/null || true
