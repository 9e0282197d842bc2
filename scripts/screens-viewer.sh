#!/usr/bin/env bash
# Screenshots of the main window after a full run on the demo machine, showing a text node (the event
# log), a console node (ipconfig output in the OEM code page) and a table of 100,000 rows:
#   scripts/screens-viewer.sh [build]  ->  build/screens/{text,console,table}.png
set -euo pipefail
build=$(realpath -m "${1:-build}")
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${KW_SCREENS_INNER:-}" ]; then
  export KW_SCREENS_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x900x24 -nolisten tcp" "$0" "$build"
fi

out="$build/screens"
prefix="$build/demo/prefix"
tmp="$out/tmp"
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all LC_ALL=ru_RU.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
"$here/wine-prefix.sh" "$prefix" win64 >/dev/null 2>&1 </dev/null
wineserver -p >/dev/null 2>&1 </dev/null || true
wine cmd /c exit >/dev/null 2>&1 </dev/null

rm -rf "$tmp" && mkdir -p "$tmp"
# The results stay on screen: no save (and close) after the run.
printf '[position]\r\nleft=20\r\nwidth=1220\r\ntop=20\r\nheight=840\r\n[Set]\r\nAutoSave=0\r\n' > "$tmp/KW_scan.ini"
wtmp="Z:${tmp//\//\\}"
printf '@set TMP=%s\r\n@set TEMP=%s\r\n@"%s" full\r\n' "$wtmp" "$wtmp" "Z:${build//\//\\}\\bin\\KW_Scan.exe" > "$out/run.bat"
wine cmd /c "Z:${out//\//\\}\\run.bat" >/dev/null 2>&1 </dev/null &
for _ in $(seq 1 600); do
  [ -f "$tmp/KW_Temp/KW_scan.ini" ] && break
  sleep 0.5
done
[ -f "$tmp/KW_Temp/KW_scan.ini" ] || { echo "the run did not end" >&2; wineserver -k; exit 1; }
sleep 2

# A console capture in the OEM code page, as ipconfig writes it, and a large inventory in the ANSI one.
python3 - "$tmp/KW_Temp/(cmd)ipconfig_all.txt" <<'PY'
import sys
text = """
Настройка протокола IP для Windows

   Имя компьютера  . . . . . . . . . : WS-KONSTRUKTOR-07
   Основной DNS-суффикс  . . . . . . : tavir.local
   Тип узла. . . . . . . . . . . . . : Гибридный
   IP-маршрутизация включена . . . . : Нет
   WINS-прокси включен . . . . . . . : Нет

Адаптер Ethernet Подключение по локальной сети:

   DNS-суффикс подключения . . . . . : tavir.local
   Описание. . . . . . . . . . . . . : Сетевой адаптер Intel(R) PRO/1000
   Физический адрес. . . . . . . . . : 00-1A-2B-3C-4D-5E
   DHCP включен. . . . . . . . . . . : Да
   Автонастройка включена. . . . . . : Да
   IPv4-адрес. . . . . . . . . . . . : 192.168.10.57(Основной)
   Маска подсети . . . . . . . . . . : 255.255.255.0
   Аренда получена. . . . . . . . . . : 9 декабря 2026 г. 8:02:11
   Срок аренды истекает. . . . . . . . : 10 декабря 2026 г. 8:02:11
   Основной шлюз. . . . . . . . . : 192.168.10.1
   DHCP-сервер. . . . . . . . . . . : 192.168.10.2
   DNS-серверы. . . . . . . . . . . : 192.168.10.2
   NetBios через TCP/IP. . . . . . . . : Включен
"""
open(sys.argv[1], 'wb').write(text.replace('\n', '\r\n').encode('cp866'))
PY
python3 - "$tmp/KW_Temp/(MIRTAL_Bin)Files.csv" <<'PY'
import random, sys
random.seed(5)
ext = ['.dll', '.exe', '.ocx', '.ini', '.lib', '.txt', '.m3d', '.dll.old']
lines = ['Имя файла:\tБайт:\tДата:\tВерсия:\tmd5\tПуть:']
for i in range(100000):
    e = random.choice(ext)
    lines.append('Деталь_%06d%s\t%d\t%02d.%02d.20%02d %02d:%02d:%02d\t%s\t%032X\tC:\\Program Files\\TAVIR\\MIRTAL-3D V21\\Bin\\Библиотека %03d\\'
                 % (random.randrange(900000), e, random.randrange(5000000), random.randint(1, 28), random.randint(1, 12),
                    random.randint(10, 19), random.randrange(24), random.randrange(60), random.randrange(60),
                    '%d.%d.%d.%d' % (21, random.randrange(10), random.randrange(100), random.randrange(5000)) if e in ('.dll', '.exe', '.ocx') else '',
                    random.getrandbits(128), random.randrange(400)))
open(sys.argv[1], 'wb').write(('\r\n'.join(lines) + '\r\n').encode('cp1251'))
PY

shot() {
  wine "$build/bin/kw_select_node.exe" "$1" ${3:-} >/dev/null 2>&1 </dev/null
  sleep 1.5
  import -window root -crop 1260x880+0+0 "$out/$2.png"
  echo "$out/$2.png"
}
shot "KW_Scan!" text
shot "IPconfig /all - полная конфигурация TCP/IP для всех адаптеров" console
shot "Список файлов [MIRTAL-3D Vxx\\Bin]" table hide-events

wine taskkill /im KW_Scan.exe >/dev/null 2>&1 </dev/null || true
sleep 2
wineserver -k >/dev/null 2>&1 </dev/null || true
