#!/usr/bin/env bash
# Runs every test through ctest on a virtual X display (the windows under test need one).
# On a machine that runs no 32-bit x86 code the 32-bit tests cannot start: then the 64-bit build of the
# same sources runs them in the 64-bit prefix instead, and the run says so before and after.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
display=(xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp")
# A test that fails is run once more before it counts: on a loaded machine with two tests sharing one
# display, a window test now and then meets another test's window or a late repaint. A fault fails twice.
again=(--repeat until-pass:2)
if "$here/check-host.sh"; then
  exec "${display[@]}" ctest --test-dir "$build" --output-on-failure --timeout 600 -j 2 "${again[@]}"
fi

banner() {
  echo "=================================================================================================="
  echo "NOT the product's tests: the 32-bit KW_Scan.exe and its 32-bit tests cannot run on this machine."
  echo "Running the 64-bit build of the same sources instead, in the 64-bit prefix only (no 32-bit Windows)."
  echo "=================================================================================================="
}
banner
shim=$("$here/x64-stand-in.sh" "$build")
rc=0
PATH="$shim:$PATH" "${display[@]}" ctest --test-dir "$build/x64" --output-on-failure --timeout 600 -j 2 "${again[@]}" \
  -E 'win32' || rc=$?
banner
exit $rc
