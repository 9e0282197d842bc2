#!/usr/bin/env bash
# Runs the fault suite in the prefix KW_WINEPREFIX names. For the full-drive faults it mounts a memory
# disk of 4 MB and maps it as drive Y: of the prefix; where mounting is not allowed those faults are
# reported as skipped, not survived.
# usage: run-faults.sh BIN_DIR
set -uo pipefail
bin=$(realpath "$1")
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
prefix="${KW_WINEPREFIX:?the prefix to run in}"
small=$(mktemp -d "${TMPDIR:-/tmp}/kw-small.XXXXXX")
link="$prefix/dosdevices/y:"
crowd="$prefix/drive_c/kw_faults_crowd"
cleanup() {
  cd /
  rm -rf "$crowd"
  rm -f "$link"
  umount "$small" 2>/dev/null
  rmdir "$small"
}
trap cleanup EXIT
if mount -t tmpfs -o size=4m kw-small "$small" 2>/dev/null; then
  rm -f "$link"
  ln -s "$small" "$link"
  export KW_SMALL_DRIVE='Y:\'
else
  echo "no memory disk could be mounted here: the full-drive faults are skipped"
fi
# Never the caller's folder as the current one: a fault that deletes "the current folder" must not meet a
# source tree.
cd "$small"
# 30,000 files in one folder, made from outside: Wine makes them one by one far more slowly.
mkdir -p "$crowd" && (cd "$crowd" && seq -f 'f%g.dwg' 0 29999 | xargs touch)
export KW_CROWD_FOLDER='C:\kw_faults_crowd\'
"$scripts/wine-run.sh" "Z:${bin//\//\\}\\kw_fault_tests.exe" </dev/null
