#!/usr/bin/env bash
# Packing and unpacking a work folder of about 200 MB in a few thousand files: the program's cabinet code
# (kw_cabinet_tool, the same code "Сохранить информацию..." and "Загрузить информацию" use) against
# `gcab -c -z` and `cabextract` on the same files in the same run. Then saving that work folder as a
# package (kw_package_tool): as the save was before the contents list (listed, packed, copied), and as it
# is now, with every member hashed (SHA-256) for "KW_Manifest.csv" and, with "Скрывать пароли в пакете",
# every text file masked; and with masking off. Best of RUNS (default 3) each.
# usage: bench/package-bench.sh [BUILD_DIR]   (BUILD_DIR/bin holds kw_cabinet_tool.exe, kw_package_tool.exe)
set -euo pipefail
build=$(realpath "${1:-build}")
runs=${RUNS:-3}
here=$(cd "$(dirname "$0")" && pwd)
scripts="$here/../scripts"
work="$build/bench-package"
rm -rf "$work" && mkdir -p "$work/temp/KW_Temp" && ln -s temp/KW_Temp "$work/src"
export KW_WINEPREFIX=${KW_WINEPREFIX:-$build/wine/win64}
"$scripts/wineserver.sh" start "$KW_WINEPREFIX" win64 >/dev/null

# Logs and tables compress well, program files and pictures hardly: a work folder holds both.
python3 - "$work/src" <<'PY'
import os, random, sys
random.seed(7)
out = sys.argv[1]
words = [''.join(random.choice('abcdefghijklmnopqrstuvwxyz') for _ in range(random.randint(3, 10))) for _ in range(5000)]
total = 0
i = 0
while total < 200 * 1024 * 1024:
    kind = i % 3
    if kind == 0:
        n = random.randint(5000, 200000)
        lines = []
        size = 0
        while size < n:
            line = '%04d-%02d-%02d %s\r\n' % (2026, random.randint(1, 12), random.randint(1, 28), ' '.join(random.choices(words, k=12)))
            if random.random() < 0.001:  # now and then a secret, as in real logs: those files get masked copies
                line = '2026-01-01 connect Server=PLM-SRV01;User ID=plm;Password=%s;\r\n' % random.choice(words)
            lines.append(line)
            size += len(line)
        data = ''.join(lines).encode()
        name = '(Peltrand)log_%05d.log' % i
    elif kind == 1:
        rows = ['Имя файла:\tБайт:\tДата:\tВерсия:\tmd5\tПуть:\r\n']
        for r in range(random.randint(50, 2000)):
            rows.append('%s.dll\t%d\t08.12.2026 10:00:00\t21.0.%d.0\t%032X\tC:\\Program Files\\TAVIR\\MIRTAL\\Bin\\\r\n' % (random.choice(words), random.randint(1000, 9000000), r, random.getrandbits(128)))
        data = ''.join(rows).encode('cp1251')
        name = '(MIRTAL%05d)Files.csv' % i
    else:
        n = random.randint(10000, 400000)
        data = os.urandom(n // 2) + bytes(random.choice(b'\x00\x01\x02\xff') for _ in range(n // 2))
        name = 'Screen_%05d.jpg' % i
    with open(os.path.join(out, name), 'wb') as f:
        f.write(data)
    total += len(data)
    i += 1
print('%d files, %d bytes' % (i, total))
PY

winpath() { echo "Z:${1//\//\\}"; }
tool() { "$scripts/wine-run.sh" "$(winpath "$build/bin/kw_cabinet_tool.exe")" "$@" </dev/null; }
best() {  # best time of $runs runs of the command, in seconds: what the program's tool reports of its own
  local b=999999 t s e out  # work (the program packs in-process), else the wall time of the command
  for _ in $(seq 1 "$runs"); do
    # The tool's line ends in CR LF under Wine: without the CR its figure is read, not the wall time.
    s=$(date +%s.%N); out=$("$@" 2>/dev/null | tail -1 | tr -d '\r'); e=$(date +%s.%N)
    if [[ "$out" =~ ^[0-9]+\.[0-9]+$ ]]; then t=$out; else t=$(echo "$e - $s" | bc -l); fi
    b=$(echo "if ($t < $b) $t else $b" | bc -l)
  done
  printf '%.2f' "$b"
}
bytes=$(du -sbL "$work/src" | cut -f1) count=$(ls "$work/src" | wc -l)
pack_kw() { rm -f "$work/kw.cab"; tool pack "$(winpath "$work/src")" "$(winpath "$work/kw.cab")"; }
pack_gcab() { rm -f "$work/gcab.cab"; (cd "$work/src" && gcab -c -z "$work/gcab.cab" -- * >/dev/null); }
unpack_kw() { rm -rf "$work/out-kw" && mkdir "$work/out-kw"; tool unpack "$(winpath "$work/kw.cab")" "$(winpath "$work/out-kw")"; }
unpack_cabextract() { rm -rf "$work/out-ce" && mkdir "$work/out-ce"; cabextract -q -d "$work/out-ce" "$work/kw.cab" >/dev/null; }

package() { "$scripts/wine-run.sh" "$(winpath "$build/bin/kw_package_tool.exe")" "$@" </dev/null; }
save() { rm -rf "$work/out" && mkdir "$work/out"; package "$1" "$(winpath "$work/temp")" "$(winpath "$work/out")" ${2:-}; }
save_before() { save plain; }
save_now() { save save; }
save_nomask() { save save nomask; }

tp=$(best pack_kw); tg=$(best pack_gcab); tu=$(best unpack_kw); tc=$(best unpack_cabextract)
diff -r "$work/src" "$work/out-kw" >/dev/null && diff -r "$work/src" "$work/out-ce" >/dev/null
# The three saves in turns, so that each meets the same state of the machine.
sb=999999 sn=999999 so=999999
for _ in $(seq 1 "$runs"); do
  t=$(runs=1 best save_before); sb=$(echo "if ($t < $sb) $t else $sb" | bc -l)
  t=$(runs=1 best save_now); sn=$(echo "if ($t < $sn) $t else $sn" | bc -l)
  t=$(runs=1 best save_nomask); so=$(echo "if ($t < $so) $t else $so" | bc -l)
done
save_now >/dev/null
masked=$(cabextract -p -F KW_Masked.csv "$work/out"/*.cab | tail -n +2 | wc -l)
mb=$(echo "$bytes / 1048576" | bc -l)
printf 'folder: %s files, %.1f MB; cabinet %.1f MB (gcab %.1f MB)\n' "$count" "$mb" \
  "$(echo "$(stat -c %s "$work/kw.cab") / 1048576" | bc -l)" "$(echo "$(stat -c %s "$work/gcab.cab") / 1048576" | bc -l)"
printf 'pack:   program %6.2f s (%5.1f MB/s)   gcab -c -z %6.2f s (%5.1f MB/s)   ratio %.2f\n' \
  "$tp" "$(echo "$mb / $tp" | bc -l)" "$tg" "$(echo "$mb / $tg" | bc -l)" "$(echo "$tg / $tp" | bc -l)"
printf 'unpack: program %6.2f s (%5.1f MB/s)   cabextract %6.2f s (%5.1f MB/s)   ratio %.2f\n' \
  "$tu" "$(echo "$mb / $tu" | bc -l)" "$tc" "$(echo "$mb / $tc" | bc -l)" "$(echo "$tc / $tu" | bc -l)"
printf 'save:   before the contents list %6.2f s   with hashes and masking %6.2f s (%+.1f %%, %s values masked)   hashes only %6.2f s (%+.1f %%)\n' \
  "$sb" "$sn" "$(echo "($sn - $sb) * 100 / $sb" | bc -l)" "$masked" "$so" "$(echo "($so - $sb) * 100 / $sb" | bc -l)"
[ -n "${KEEP:-}" ] || rm -rf "$work"
