#!/usr/bin/env bash
# The support library against unpacking and hashing the same packages with `cabextract` and `sha256sum`:
# N packages made from one result package (other computers, users and dates, a share of their inventory
# rows changed; saved with the program's own code, so that each contents list is true), then
#   - packages added a second by `KW_Scan.exe library add` and by the peer, and their ratio (target: at
#     least half the peer's rate);
#   - the median time of a search by computer, by MD5 and by finding code (target: under 50 ms);
#   - the library's growth per package of an installation it knows (target: under 200 KB);
# in an SQLite file, and on a PostgreSQL server on loopback (scripts/postgres-server.sh) unless PG=0; there
# the searches again with every package copied PG_COPIES times (9 by default: 10,000 packages of N = 1,000).
# usage: bench/library-bench.sh [BUILD_DIR [N [PACKAGE]]]   (PACKAGE: a result package; default the demo's)
#        KEEP=1 reuses the packages of the last run, PG=0 leaves PostgreSQL out
set -euo pipefail
build=$(realpath "${1:-build}")
n=${2:-1000}
here=$(cd "$(dirname "$0")" && pwd)
scripts="$here/../scripts"
template=${3:-$(ls "$build"/../build/demo/*.cab "$build"/demo/*.cab 2>/dev/null | head -n 1 || true)}
[ -f "$template" ] || { echo "no result package: run make demo first, or name one" >&2; exit 2; }
work="$build/bench-library"
# KEEP=1 takes the packages of the last run again when there are as many (they take minutes to make).
if [ "${KEEP:-0}" = 1 ] && [ "$(ls "$work/in" 2>/dev/null | wc -l)" = "$n" ]; then
  find "$work" -mindepth 1 -maxdepth 1 ! -name in -exec rm -rf {} +
else
  rm -rf "$work" && mkdir -p "$work"
fi
export KW_WINEPREFIX=${KW_WINEPREFIX:-$build/wine/win64}
"$scripts/wineserver.sh" start "$KW_WINEPREFIX" win64 >/dev/null
winpath() { echo "Z:${1//\//\\}"; }
run() { "$scripts/wine-run.sh" "$@" </dev/null; }
seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1 || true; e=$(date +%s.%N); echo "$e - $s" | bc -l; }

if [ -d "$work/in" ]; then
  echo "taking the $n packages of the last run again, $(du -sh "$work/in" | cut -f1)"
else
  echo "making $n packages from $(basename "$template")"
  made=$(run "$(winpath "$build/bin/kw_library_bench.exe")" make "$(winpath "$template")" "$(winpath "$work/in")" "$n" 5 | tr -d '\r')
  echo "  made in ${made} s, $(du -sh "$work/in" | cut -f1)"
fi

peer() {
  local out="$work/peer"
  for cab in "$work"/in/*.cab; do
    rm -rf "$out" && mkdir "$out"
    cabextract -q -d "$out" "$cab" >/dev/null && sha256sum "$cab" "$out"/* >/dev/null
  done
}
tp=$(seconds peer)
echo "peer (cabextract and sha256sum of each package): $(printf '%.1f' "$tp") s, $(echo "$n / $tp" | bc -l | xargs printf '%.1f') packages/s"

measure() {  # DB PLACE-FOR-MESSAGES SIZE-COMMAND
  local db=$1 label=$2 size=$3
  local first="$work/in/pkg_0.cab"
  run "$(winpath "$build/bin/KW_Scan.exe")" library add /db "$db" "$(winpath "$first")" >/dev/null
  local before after t
  before=$($size)
  t=$(seconds run "$(winpath "$build/bin/KW_Scan.exe")" library add /db "$db" "$(winpath "$work/in")")
  after=$($size)
  echo "$label: added $n packages in $(printf '%.1f' "$t") s, $(echo "$n / $t" | bc -l | xargs printf '%.1f') packages/s," \
    "ratio to the peer $(echo "$tp / $t" | bc -l | xargs printf '%.2f') (target >= 0.5)"
  echo "  growth per package of a known installation: $(( (after - before) / (n - 1) / 1024 )) KB (target < 200)"
  run "$(winpath "$build/bin/kw_library_bench.exe")" find "$db" PC-0007 "$md5" "$code" 21 | tr -d '\r' | sed 's/^/  /'
}

# What the searches look for: a file's sum and a finding the packages hold.
unpacked="$work/probe"
mkdir -p "$unpacked" && cabextract -q -d "$unpacked" "$work/in/pkg_7.cab"
md5=$(awk -F'\t' 'FNR > 1 && $5 ~ /^[0-9a-fA-F]+$/ { print $5; exit }' "$unpacked"/*Files.csv 2>/dev/null || true)
code=$(awk -F'\t' 'FNR == 2 { print $1; exit }' "$unpacked/KW_Findings.csv" 2>/dev/null || true)
code=${code:-S01}

sqlite="$work/lib.sqlite"
sqlite_size() { local t=0 f; for f in "$sqlite" "$sqlite-wal"; do [ -f "$f" ] && t=$((t + $(stat -c %s "$f"))); done; echo $t; }
measure "$(winpath "$sqlite")" "SQLite" sqlite_size

if [ "${PG:-1}" != 0 ]; then
  pg="$build/postgres-bench"
  port=$("$scripts/postgres-server.sh" start "$pg")
  password=$(cat "$pg/password")
  export ODBCSYSINI="$pg"
  runuser -u postgres -- psql -h "$pg" -p "$port" -d kw_library_test -qc \
    'DROP TABLE IF EXISTS package_groups, file_groups, files, members, package_member_groups, member_groups, member_rows, findings, products, packages, kw_schema' \
    >/dev/null 2>&1 || true
  pg_size() { runuser -u postgres -- psql -h "$pg" -p "$port" -d kw_library_test -Atc "SELECT pg_database_size('kw_library_test')"; }
  odbc="odbc:Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$port;Database=kw_library_test;Uid=kw_test;Pwd=$password;"
  measure "$odbc" "PostgreSQL" pg_size
  # The searches at ten times the packages: each one added copied nine times in SQL (PG_COPIES).
  copies=${PG_COPIES:-9}
  if [ "$copies" -gt 0 ]; then
    echo "PostgreSQL with every package copied $copies times: $(run "$(winpath "$build/bin/kw_library_bench.exe")" copy "$odbc" "$copies" | tr -d '\r')"
    run "$(winpath "$build/bin/kw_library_bench.exe")" find "$odbc" PC-0007 "$md5" "$code" 21 | tr -d '\r' | sed 's/^/  /'
  fi
  "$scripts/postgres-server.sh" stop "$pg"
fi
