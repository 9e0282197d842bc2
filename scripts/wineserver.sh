#!/usr/bin/env bash
# ctest fixture: start|stop PREFIX ARCH. Starting creates and seeds the prefix when needed and leaves a
# persistent wineserver running, so that every test process starts in a fraction of a second.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
action=$1 prefix=$(realpath -m "$2") arch=$3
export WINEPREFIX="$prefix" WINEARCH="$arch" WINEDEBUG=-all LC_ALL=ru_RU.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
case "$action" in
  start)
    log="$prefix.setup.log"
    mkdir -p "$(dirname "$prefix")"
    if ! "$here/wine-prefix.sh" "$prefix" "$arch" >"$log" 2>&1 </dev/null; then
      echo "Не удалось подготовить префикс Wine $prefix:"
      cat "$log"
      exit 1
    fi
    # Every descriptor goes to /dev/null: a server that inherits a pipe of ctest's keeps ctest waiting.
    # A server may already be up (listing the tests starts one): that is fine.
    wineserver -p >/dev/null 2>&1 </dev/null || true
    wine cmd /c exit >/dev/null 2>&1 </dev/null
    ;;
  stop)
    wineserver -k >/dev/null 2>&1 </dev/null || true
    ;;
esac
