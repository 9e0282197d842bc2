#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's prefix (KW_WINEPREFIX, else KW_DEFAULT_PREFIX),
# with the Russian locale (ANSI 1251, OEM 866). ctest uses it as the cross-compiling emulator.
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX="${KW_WINEPREFIX:-${KW_DEFAULT_PREFIX:-$here/../build/wine/win64}}"
export WINEDEBUG=-all LC_ALL=ru_RU.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
# The ODBC drivers as the tests' PostgreSQL server registered them (without a log file in /tmp per
# process): the build folder is the prefix's grandparent.
odbc="$(dirname "$(dirname "$WINEPREFIX")")/postgres"
[ ! -f "$odbc/odbcinst.ini" ] || export ODBCSYSINI="$odbc"
case "$(basename "$WINEPREFIX")" in
  *32*) export WINEARCH=win32 ;;
  *) export WINEARCH=win64 ;;
esac
# ctest lists the tests before any fixture has run: the first call makes the prefix.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$here/wineserver.sh" start "$WINEPREFIX" "$WINEARCH"
fi
exec wine "$@"
