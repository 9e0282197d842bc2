#!/usr/bin/env bash
# Fails with the reason when this machine cannot run 32-bit x86 code: KW_Scan.exe and its tests are
# 32-bit Windows programs, and Wine runs them only in 32-bit processes of the host.
set -uo pipefail
loader=/usr/lib/wine/wine
[ -x "$loader" ] || exit 0 # not installed yet: the build installs it
# An emulator registered for 32-bit x86 programs (scripts/qemu-i386.sh, left behind by a run that was
# killed) would answer for the kernel: it is switched off while the kernel is asked.
emulators=()
for entry in /proc/sys/fs/binfmt_misc/*; do
  [ -f "$entry" ] && grep -qx enabled "$entry" 2>/dev/null && grep -q '^interpreter .*qemu-i386' "$entry" &&
    emulators+=("$entry")
done
for entry in "${emulators[@]}"; do echo 0 > "$entry" 2>/dev/null || true; done
"$loader" --version >/dev/null 2>&1
rc=$?
for entry in "${emulators[@]}"; do echo 1 > "$entry" 2>/dev/null || true; done
[ "$rc" -ne 126 ] && exit 0
{
  echo "Этот компьютер не выполняет 32-битные программы x86: ядро отказывает в запуске ($loader: Exec format error)."
  echo "This machine runs no 32-bit x86 code, so Wine cannot start the 32-bit KW_Scan.exe or its tests here."
  dmesg 2>/dev/null | grep -iE 'ia-?32|32-bit emulation' | head -3 | sed 's/^/  kernel: /'
} >&2
exit 3
