#!/usr/bin/env bash
# Runs one 32-bit Windows program under Wine on a machine whose kernel runs no 32-bit x86 code: for the
# duration of the run the kernel hands 32-bit x86 programs (Wine's 32-bit loader among them) to QEMU's
# user emulation, registered with binfmt_misc and removed again at the end. Slow: a 32-bit process
# takes about 45 s to start, so it suits one test program at a time, not the suite.
# usage: qemu-i386.sh PREFIX SECONDS PROGRAM [ARGS...]
#   PREFIX: a 64-bit Wine prefix, made here when it does not exist yet (about 2 minutes: its 32-bit
#   half is set up under the emulation; a prefix made where no 32-bit code ran lacks that half)
#   SECONDS: the run's limit. Prints the program's output; exits with its code (124 when its time ran out).
set -euo pipefail
prefix=$(realpath -m "$1") limit=$2 program=$3
shift 3
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

if [ ! -x /usr/bin/qemu-i386-static ]; then
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq qemu-user-static </dev/null >/dev/null
fi
binfmt=/proc/sys/fs/binfmt_misc
[ -e "$binfmt/register" ] || $SUDO mount -t binfmt_misc binfmt_misc "$binfmt"
entry="$binfmt/kw-qemu-i386"
# An i386 ELF executable (e_machine 3); F: the kernel opens the emulator now, so any process can use it.
if [ ! -e "$entry" ]; then
  magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  echo ":kw-qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386-static:F" | $SUDO tee "$binfmt/register" >/dev/null
fi
echo 1 | $SUDO tee "$entry" >/dev/null
# Gone again afterwards, so that nothing else on the machine takes the emulation for 32-bit support.
trap 'echo -1 | $SUDO tee "$entry" >/dev/null 2>&1 || true' EXIT

# Wine's 32-bit loader places itself in the low 3 GB, which QEMU must keep free for it.
export QEMU_RESERVED_VA=0xc0000000
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all} LC_ALL=ru_RU.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$(dirname "$prefix")"
  echo "qemu-i386.sh: making the prefix $prefix with its 32-bit half" >&2
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 </dev/null
  wineserver -w
  [ -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ] ||
    { echo "qemu-i386.sh: the prefix got no 32-bit system folder" >&2; rm -rf "$prefix"; exit 2; }
fi
# A crash prints its backtrace and ends the process instead of waiting in Wine's crash dialog.
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
  >/dev/null 2>&1 </dev/null || true
rc=0
timeout -k 10 "$limit" /usr/lib/wine/wine "$program" "$@" </dev/null || rc=$?
wineserver -k >/dev/null 2>&1 </dev/null || true
exit $rc
