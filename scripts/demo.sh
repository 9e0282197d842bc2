#!/usr/bin/env bash
# The demo: a full collection on the demo machine (a Wine prefix seeded from demo/machine), with the
# result left in build/demo/: result/ (the work folder) and main-window.png (the window after the run).
set -euo pipefail
build=$(realpath -m "${1:-build}")
here=$(cd "$(dirname "$0")" && pwd)

# Where no 32-bit code runs, the 64-bit build of the same sources stands in for the program.
if [ -z "${KW_DEMO_INNER:-}" ] && ! "$here/check-host.sh"; then
  echo "Демонстрация на 64-разрядной сборке тех же исходников: 32-разрядная программа здесь не запускается." >&2
  PATH="$("$here/x64-stand-in.sh" "$build"):$PATH"
  export PATH KW_DEMO_BIN="$build/x64/bin"
fi
if [ -z "${KW_DEMO_INNER:-}" ]; then
  export KW_DEMO_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x900x24 -nolisten tcp" "$0" "$build"
fi

demo="$build/demo"
prefix="$demo/prefix"
tmp="$demo/tmp"
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all LC_ALL=ru_RU.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="

echo "Готовим демонстрационный компьютер: $prefix"
"$here/wine-prefix.sh" "$prefix" win64 >/dev/null 2>&1 </dev/null
wineserver -p >/dev/null 2>&1 </dev/null || true
wine cmd /c exit >/dev/null 2>&1 </dev/null

rm -rf "$tmp" "$demo/result" && mkdir -p "$tmp"
# The program gets a temporary folder of its own; the demo user's logs there come along.
ptemp=$(winepath -u "$(wine cmd /c echo %TEMP% 2>/dev/null </dev/null | tr -d '\r')" 2>/dev/null </dev/null || true)
if [ -n "$ptemp" ] && [ -d "$ptemp" ]; then
  for e in "$ptemp"/*; do
    case ${e##*/} in KW_*|kw_tests|'*') ;; *) cp -a "$e" "$tmp/" ;; esac
  done
fi
# The saved settings of the demo user: a window large enough to look at.
printf '[position]\r\nleft=40\r\nwidth=1100\r\ntop=30\r\nheight=760\r\n' > "$tmp/KW_scan.ini"

wtmp="Z:${tmp//\//\\}"
bin=${KW_DEMO_BIN:-$build/bin}
wexe="Z:${bin//\//\\}\\KW_Scan.exe"
# The notification service runs: its log is held open while the run captures it.
held="$tmp/TAVIR/Peltrand/Notification/CMCPeltrandMailService.log"
if [ -f "$bin/kw_fixture_hold_open.exe" ] && [ -f "$held" ]; then
  wine "Z:${bin//\//\\}\\kw_fixture_hold_open.exe" "Z:${held//\//\\}" 600 >/dev/null 2>&1 </dev/null &
fi
# The customer's side: a full collection without a window that leaves its package in build/demo.
wdemo="Z:${demo//\//\\}"
rm -f "$demo"/*.cab
echo "Запускаем сбор информации с сохранением пакета: $wexe fullin $wdemo"
start=$(date +%s)
# Wine drops the Unix TMP and TEMP: a batch file sets them for the program.
printf '@set TMP=%s\r\n@set TEMP=%s\r\n@start /wait "" "%s" fullin "%s"\r\n@echo %%ERRORLEVEL%% > "%s\\exit-code.txt"\r\n' \
  "$wtmp" "$wtmp" "$wexe" "$wdemo" "$wdemo" > "$demo/run-demo.bat"
rm -f "$demo/exit-code.txt"
timeout 300 wine cmd /c "$wdemo\\run-demo.bat" >/dev/null 2>&1 </dev/null || true
code=$(tr -dc '0-9' < "$demo/exit-code.txt" 2>/dev/null || echo "?")
package=$(ls "$demo"/*.cab 2>/dev/null | head -1 || true)
if [ "$code" != "0" ] || [ -z "$package" ]; then
  echo "Пакет не создан (код завершения: $code)" >&2
  wineserver -k || true
  exit 1
fi
echo "Сбор информации и пакет: $(( $(date +%s) - start )) с, код завершения 0"
echo "Пакет: $package ($(stat -c %s "$package") байт)"
# A package is an ordinary cabinet: Linux's cabextract unpacks it.
mkdir -p "$demo/result"
cabextract -q -d "$demo/result" "$package"

# The support engineer's side: the package opened in the program's window.
wpackage="Z:${package//\//\\}"
printf '@set TMP=%s\r\n@set TEMP=%s\r\n@"%s" "%s"\r\n' "$wtmp" "$wtmp" "$wexe" "$wpackage" > "$demo/open-demo.bat"
wine cmd /c "$wdemo\\open-demo.bat" >/dev/null 2>&1 </dev/null &
for _ in $(seq 1 120); do
  [ -f "$tmp/KW_Temp/KW_Scan!.rtf" ] && break
  sleep 0.5
done
sleep 3  # the window shows the opened package
import -window root -crop 1180x850+0+0 "$demo/main-window.png"

wine taskkill /im KW_Scan.exe >/dev/null 2>&1 </dev/null || true
[ ! -f "$held" ] || : > "$held.release"
sleep 2
wineserver -k >/dev/null 2>&1 </dev/null || true

echo "Результат: $demo/result"
ls "$demo/result"
echo "Снимок окна: $demo/main-window.png"
