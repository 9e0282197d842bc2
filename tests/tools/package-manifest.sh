#!/usr/bin/env bash
# A package's contents list checked with Linux's own tools: "KW_Manifest.csv" is the last member and names
# every other member with the size and the SHA-256 that stat and sha256sum find in what cabextract unpacks;
# the masked members hold no secret; "KW_Scan.exe verify" exits 0 on the package and reports every file as
# "совпадает". A package that gcab made again with one member altered, one removed and one added is
# exit 1 with exactly those three states; one without the list, a file that is no package and a report
# that cannot be written are exit 2.
# usage: package-manifest.sh BIN_DIR   (KW_WINEPREFIX names the Wine prefix, as for every test)
set -euo pipefail
bin=$(realpath "$1")
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kw-manifest.XXXXXX")
trap 'rm -rf "$work"' EXIT
winpath() { echo "Z:${1//\//\\}"; }
run() { "$scripts/wine-run.sh" "$@" </dev/null; }
verify() { run "$(winpath "$bin/KW_Scan.exe")" verify "$@" 2>/dev/null; }
fail() { echo "FAILED: $*" >&2; exit 1; }
# The rows of a report (ANSI, CR LF) without its header, sorted.
rows() { iconv -f CP1251 -t UTF-8 "$1" | tr -d '\r' | tail -n +2 | LC_ALL=C sort; }

# A work folder: text with secrets in ANSI and OEM, a picture, a log, a Cyrillic name.
temp="$work/temp"
src="$temp/KW_Temp"
mkdir -p "$src" "$work/out"
printf 'Server=PLM-SRV01\r\nUserName=ivanov\r\nPassword=Qw3rty-Secret\r\n' >"$src/(Peltrand)Peltrand.ini"
printf 'USERNAME=ivanov\r\nTAVIR_DB_PASSWORD=EnvSecret-51\r\n' >"$src/(cmd)set.txt"
head -c 300000 /dev/urandom >"$src/Screen_1.jpg"
seq 1 20000 | sed 's/$/\r/' >"$src/KW_Scan!.txt"
printf '\xef\xf0\xe8\xe2\xe5\xf2\r\n' >"$src/Отчёт СТП.txt"

run "$(winpath "$bin/kw_package_tool.exe")" save "$(winpath "$temp")" "$(winpath "$work/out")" >/dev/null
packages=("$work/out"/*.cab)
[ ${#packages[@]} -eq 1 ] || fail "expected one package, found ${#packages[@]}"
pkg=${packages[0]}

# Round trip: the list against what Linux's tools find in the unpacked members.
mkdir "$work/x"
cabextract -q -d "$work/x" "$pkg"
last=$(cabextract -l "$pkg" | awk -F' \\| ' 'NF == 3 { name = $3 } END { print name }')
[ "$last" = "KW_Manifest.csv" ] || fail "the last member is '$last', not KW_Manifest.csv"
list=$(iconv -f CP1251 -t UTF-8 "$work/x/KW_Manifest.csv" | tr -d '\r')
[ "$(head -1 <<<"$list")" = $'Имя файла:\tБайт:\tSHA-256:\tТема:' ] || fail "header: $(head -1 <<<"$list")"
listed=$(tail -n +2 <<<"$list" | cut -f1-3 | LC_ALL=C sort)
found=$(cd "$work/x" && for f in *; do
  [ "$f" = KW_Manifest.csv ] && continue
  printf '%s\t%s\t%s\n' "$f" "$(stat -c %s "$f")" "$(sha256sum "$f" | cut -d' ' -f1)"
done | LC_ALL=C sort)
[ "$listed" = "$found" ] || fail "the list differs from sha256sum:"$'\n'"$(diff <(echo "$listed") <(echo "$found"))"
[ "$(wc -l <<<"$found")" -eq 6 ] || fail "expected 6 listed members (5 files and KW_Masked.csv)"
echo "KW_Manifest.csv is the last member and matches stat and sha256sum of every other member"

# No secret in any member; the work folder keeps the originals.
if grep -rlaE 'Qw3rty-Secret|EnvSecret-51' "$work/x"; then fail "a secret left the computer"; fi
grep -q 'Password=\*\*\*\*\*\*\*\*' "$work/x/(Peltrand)Peltrand.ini" || fail "the password is not masked"
grep -q 'Qw3rty-Secret' "$src/(Peltrand)Peltrand.ini" || fail "the work folder lost its original"
echo "no secret in any member; the work folder keeps the originals"

verify "$(winpath "$pkg")" "$(winpath "$work/report.txt")" || fail "verify of the package as written: exit $?"
[ "$(rows "$work/report.txt" | cut -f2 | sort -u)" = "совпадает" ] || fail "report: $(rows "$work/report.txt")"
verify "$(winpath "$pkg")" || fail "verify without a report: exit $?"
echo "verify: exit 0, every file \"совпадает\""

# Another cabinet tool: one member altered, one removed, one added.
cp -r "$work/x" "$work/y"
echo "one line more" >>"$work/y/KW_Scan!.txt"
rm "$work/y/Screen_1.jpg"
echo "added by hand" >"$work/y/extra.log"
(cd "$work/y" && gcab -c -z "$work/tampered.cab" -- *)
rc=0
verify "$(winpath "$work/tampered.cab")" "$(winpath "$work/tampered.txt")" || rc=$?
[ "$rc" -eq 1 ] || fail "verify of the altered package: exit $rc, not 1"
expected=$(printf '%s\n' $'(Peltrand)Peltrand.ini\tсовпадает' $'(cmd)set.txt\tсовпадает' \
  $'KW_Masked.csv\tсовпадает' $'KW_Scan!.txt\tизменён' $'Screen_1.jpg\tотсутствует' \
  $'extra.log\tлишний' $'Отчёт СТП.txt\tсовпадает' | LC_ALL=C sort)
[ "$(rows "$work/tampered.txt")" = "$expected" ] ||
  fail "report of the altered package:"$'\n'"$(diff <(echo "$expected") <(rows "$work/tampered.txt"))"
echo "verify: exit 1, the altered, removed and added members and nothing else"

# No list, no package, no report.
rm "$work/y/KW_Manifest.csv"
(cd "$work/y" && gcab -c -z "$work/unlisted.cab" -- *)
rc=0; verify "$(winpath "$work/unlisted.cab")" || rc=$?
[ "$rc" -eq 2 ] || fail "verify of a package without its list: exit $rc, not 2"
echo "not a package" >"$work/notes.txt"
rc=0; verify "$(winpath "$work/notes.txt")" || rc=$?
[ "$rc" -eq 2 ] || fail "verify of a text file: exit $rc, not 2"
rc=0; verify "$(winpath "$work/missing.cab")" || rc=$?
[ "$rc" -eq 2 ] || fail "verify of a missing file: exit $rc, not 2"
rc=0; verify "$(winpath "$pkg")" "$(winpath "$work/no/such/folder/report.txt")" || rc=$?
[ "$rc" -eq 2 ] || fail "verify with a report that cannot be written: exit $rc, not 2"
echo "verify: exit 2 without a list, for no package and for a report that cannot be written"
