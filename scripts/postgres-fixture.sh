#!/usr/bin/env bash
# ctest fixture of the support library's ODBC tests: start|stop DIR. Starting runs the PostgreSQL server
# (scripts/postgres-server.sh) and writes the connection string its tests use into DIR/connection.txt;
# where no server can be started (not root and no sudo), the string stays away, those tests are skipped,
# and this says why. As root a server that does not start is a failure.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
action=$1 dir=$(realpath -m "$2")
case "$action" in
  start)
    rm -f "$dir/connection.txt"
    if ! port=$("$here/postgres-server.sh" start "$dir" </dev/null); then
      echo "Сервер PostgreSQL не запущен: проверки библиотеки через ODBC пропущены."
      [ "$(id -u)" -ne 0 ] || exit 1
      exit 0
    fi
    password=$(cat "$dir/password")
    printf 'Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=%s;Database=kw_library_test;Uid=kw_test;Pwd=%s;\r\n' \
      "$port" "$password" > "$dir/connection.txt"
    ;;
  stop)
    rm -f "$dir/connection.txt"
    "$here/postgres-server.sh" stop "$dir" </dev/null >/dev/null 2>&1 || true
    ;;
esac
