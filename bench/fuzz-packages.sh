#!/usr/bin/env bash
# The long run of the damaged-package generator: VARIANTS random variants (default 100000) besides the
# deterministic ones, each opened with the program's own unpacking code; prints how many opened, how
# many were refused and the slowest. A crash ends the test program, a hang fails it after 10 s.
# usage: bench/fuzz-packages.sh [BUILD_DIR]   (BUILD_DIR/bin holds kw_fault_tests.exe)
set -euo pipefail
build=$(realpath "${1:-build}")
here=$(cd "$(dirname "$0")" && pwd)
export KW_WINEPREFIX=${KW_WINEPREFIX:-$build/wine/win64}
"$here/../scripts/wineserver.sh" start "$KW_WINEPREFIX" win64 >/dev/null
export KW_FUZZ_RANDOM=${VARIANTS:-100000} KW_FUZZ_SEED=${SEED:-$(date +%s)}
echo "seed $KW_FUZZ_SEED, $KW_FUZZ_RANDOM random variants"
start=$(date +%s)
cd "$(mktemp -d)" # never a source tree as the current folder of a test program
"$here/../scripts/wine-run.sh" "Z:${build//\//\\}\\bin\\kw_fault_tests.exe" \
  --gtest_filter='PackageFuzzTest.DamagedPackages*' </dev/null
echo "took $(($(date +%s) - start)) s"
