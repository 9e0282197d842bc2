#!/usr/bin/env bash
# Inventory with MD5 against md5sum over the same tree: 20,000 files, about 2 GB, generated under
# build/ and removed afterwards. Both run on a warm page cache.
# usage: bench/inventory-bench.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "${1:-$here/../build}")
tree="$build/bench-tree"
trap '[ -n "${KEEP_TREE:-}" ] || rm -rf "$tree"' EXIT
[ -d "$tree" ] || python3 - "$tree" <<'PY'
import os, random, sys
root = sys.argv[1]
random.seed(4)
block = os.urandom(1 << 22)
total = 0
for i in range(20000):
    d = os.path.join(root, "d%02d" % (i % 40), "s%02d" % (i // 40 % 25))
    os.makedirs(d, exist_ok=True)
    size = random.randint(0, 200000)
    off = random.randint(0, len(block) - size)
    with open(os.path.join(d, "f%05d.bin" % i), "wb") as f:
        f.write(block[off:off + size])
    total += size
print("tree: 20000 files, %d bytes" % total)
PY
find "$tree" -type f -print0 | xargs -0 cat >/dev/null  # warm the cache
start=$(date +%s.%N)
find "$tree" -type f -print0 | xargs -0 md5sum >/dev/null
end=$(date +%s.%N)
md5s=$(echo "$end - $start" | bc)
echo "md5sum: $md5s s"
win=$(echo "Z:$tree" | tr / '\\')
for threads in 1 2; do
  "$here/../scripts/wine-run.sh" "$build/bin/kw_inventory_bench.exe" "$win" "$threads"
done
