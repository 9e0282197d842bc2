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

# The product's own 32-bit code still runs here: the platform smoke test, one process under QEMU's user
# emulation in a 64-bit prefix of its own, whose 32-bit half is set up under the same emulation. A crash
# or a hang of the emulation itself (not a failed test: exit code 1) is given another try; the run takes
# about 70 s, so a hang is cut off after 7 minutes (threads of the emulated Wine now and then stop
# waking each other: seen in the cabinet test, whose packing runs on three threads).
echo "The product's 32-bit code: the platform smoke test under QEMU's emulation (several minutes)"
smoke=0
started=$(date +%s)
for try in 1 2 3; do
  smoke=0
  "${display[@]}" "$here/qemu-i386.sh" "$build/wine/qemu64" 420 "$build/bin/kw_platform_smoke.exe" || smoke=$?
  { [ "$smoke" -eq 0 ] || [ "$smoke" -eq 1 ]; } && break
  echo "the emulated process ended with $smoke: once more"
done
seconds=$(( $(date +%s) - started ))
banner
echo "Ran here: every test of the 64-bit stand-in build in the 64-bit prefix ($( [ "$rc" -eq 0 ] && echo passed || echo FAILED ));"
echo "  of the product's 32-bit build: the platform smoke test, under QEMU in a 64-bit prefix," \
  "$( [ "$smoke" -eq 0 ] && echo passed || echo "FAILED ($smoke)" ), in ${seconds} s."
echo "Not run here: the 32-bit build's own suite, and everything in the 32-bit prefix."
[ "$rc" -eq 0 ] && [ "$smoke" -eq 0 ]
