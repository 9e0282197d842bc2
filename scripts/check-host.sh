#!/usr/bin/env bash
# Fails with the reason when this machine cannot run 32-bit x86 code: KW_Scan.exe and its tests are
# 32-bit Windows programs, and Wine runs them only in 32-bit processes of the host.
set -uo pipefail
loader=/usr/lib/wine/wine
[ -x "$loader" ] || exit 0 # not installed yet: the build installs it
"$loader" --version >/dev/null 2>&1
rc=$?
[ "$rc" -ne 126 ] && exit 0
{
  echo "Этот компьютер не выполняет 32-битные программы x86: ядро отказывает в запуске ($loader: Exec format error)."
  echo "This machine runs no 32-bit x86 code, so Wine cannot start the 32-bit KW_Scan.exe or its tests here."
  dmesg 2>/dev/null | grep -iE 'ia-?32|32-bit emulation' | head -3 | sed 's/^/  kernel: /'
} >&2
exit 3
