#!/usr/bin/env bash
# Inventory with MD5 against md5sum over the same tree, both on a warm page cache. Two trees, generated
# under build/ and removed afterwards: "large", 20,000 files of up to 200 KB (about 2 GB), and "small",
# 100,000 files of 1 to 20 KB (about 1 GB), where opening and listing weigh more than hashing. A second
# peer shows the floor under the same Wine: kw_inventory_floor walks the tree and opens, reads and hashes
# each file once with BCrypt on two threads (targets: at least 0.9 of it on the small tree, at least 1.0
# of md5sum on the large one).
# usage: bench/inventory-bench.sh [BUILD_DIR]    TREES="large small" (default both)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "${1:-$here/../build}")
trees=${TREES:-large small}
current=""
trap '[ -n "${KEEP_TREE:-}" ] || [ -z "$current" ] || rm -rf "$current"' EXIT

generate() { # kind folder
  python3 - "$1" "$2" <<'PY'
import os, random, sys
kind, root = sys.argv[1], sys.argv[2]
random.seed(4)
block = os.urandom(1 << 22)
if kind == "large":
    count, low, high, per_folder = 20000, 0, 200000, 40
else:
    count, low, high, per_folder = 100000, 1024, 20480, 100
total = 0
for i in range(count):
    d = os.path.join(root, "d%02d" % (i % per_folder), "s%02d" % (i // per_folder % 25))
    os.makedirs(d, exist_ok=True)
    size = random.randint(low, high)
    off = random.randint(0, len(block) - size)
    with open(os.path.join(d, "f%06d.bin" % i), "wb") as f:
        f.write(block[off:off + size])
    total += size
print("tree %s: %d files, %d bytes" % (kind, count, total))
PY
}

for kind in $trees; do
  tree="$build/bench-tree-$kind"
  current=$tree
  [ -d "$tree" ] || generate "$kind" "$tree"
  find "$tree" -type f -print0 | xargs -0 cat >/dev/null # warm the cache
  start=$(date +%s.%N)
  find "$tree" -type f -print0 | xargs -0 md5sum >/dev/null
  end=$(date +%s.%N)
  md5s=$(echo "$end - $start" | bc)
  echo "[$kind] md5sum: $md5s s"
  win=$(echo "Z:$tree" | tr / '\\')
  # The floor under the same Wine: walking, opening, reading and hashing each file, and nothing else.
  floor=$("$here/../scripts/wine-run.sh" "$build/bin/kw_inventory_floor.exe" "$win" 2 | tr -d '\r')
  floors=$(echo "$floor" | sed -n 's/.*seconds=\([0-9.]*\).*/\1/p')
  echo "[$kind] floor (kw_inventory_floor, two threads): $floor"
  for threads in 1 2; do
    line=$("$here/../scripts/wine-run.sh" "$build/bin/kw_inventory_bench.exe" "$win" "$threads")
    echo "[$kind] $line"
    secs=$(echo "$line" | sed -n 's/.*seconds=\([0-9.]*\).*/\1/p')
    echo "[$kind] threads=$threads ratio to md5sum: $(echo "scale=2; $md5s / $secs" | bc) (1.0 = as fast)," \
      "to the floor: $(echo "scale=2; $floors / $secs" | bc)"
  done
  [ -n "${KEEP_TREE:-}" ] || rm -rf "$tree"
  current=""
done
