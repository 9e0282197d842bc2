#!/usr/bin/env bash
# Seeds the demo machine described in demo/machine into a Wine prefix: the
# registry of the default view (registry-32.reg), on 64-bit prefixes also the
# 64-bit view (registry-64.reg), on 32-bit prefixes what only they have
# (registry-win32.reg), and the files listed in files.tsv.
# usage: seed-machine.sh PREFIX_DIR win64|win32
#
# Cheap when repeated: the prefix keeps a stamp with a hash of the description
# and of this script, and an unchanged description is not seeded again. A
# changed description is seeded over the old one: the registry files delete
# their own branches first, and the files created last time are removed.
# Files are replaced by renaming, never rewritten in place, so prefixes cloned
# with hard links (cp -al) do not share changes.
#
# The script waits for the prefix's wineserver to exit so that the registry is
# on disk; run it before starting a persistent wineserver for the prefix (with
# one running it gives up waiting after a minute and says so).
set -euo pipefail

usage() { echo "usage: $0 PREFIX_DIR win64|win32" >&2; exit 2; }
die() { echo "seed-machine: $*" >&2; exit 1; }

[ $# -eq 2 ] || usage
prefix=$(realpath -m "$1")
arch=$2
case $arch in win64|win32) ;; *) usage ;; esac

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
script="$here/$(basename "${BASH_SOURCE[0]}")"
machine=$(cd "$here/../demo/machine" && pwd)
content="$machine/content"
stamp="$prefix/.demo-machine.stamp"
record="$prefix/.demo-machine.created"
default_mtime="2024-03-15 12:30:00"

[ -f "$prefix/system.reg" ] && [ -d "$prefix/drive_c" ] ||
  die "$prefix is not a Wine prefix (scripts/wine-prefix.sh creates one)"
if [ -d "$prefix/drive_c/windows/syswow64" ]; then kind=win64; else kind=win32; fi
# A Wine without its 32-bit part (where the 64-bit stand-in build runs) has a win64 prefix with no
# 32-bit programs in it.
if [ "$kind" = win64 ] && [ ! -f "$prefix/drive_c/windows/syswow64/cmd.exe" ]; then only64=1; else only64=; fi
[ "$kind" = "$arch" ] || die "$prefix is a $kind prefix, not $arch"

# One seeding at a time per prefix. Wine never gets this descriptor (run_wine
# closes it), otherwise the wineserver would hold the lock after we are gone.
exec 9>"$prefix/.demo-machine.lock"
flock 9

hash=$({
  sha256sum "$script"
  echo "$arch"
  cd "$machine" && find . -type f -print0 | LC_ALL=C sort -z | xargs -0r sha256sum
} | sha256sum | cut -d' ' -f1)
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$hash" ]; then
  exit 0
fi

locale -a 2>/dev/null | grep -qix 'ru_RU\.utf-\?8' ||
  die "the ru_RU.UTF-8 locale is missing (scripts/install-deps.sh generates it)"
export LC_ALL=ru_RU.UTF-8 WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEARCH

tmp=$(mktemp -d)
wintemp="$prefix/drive_c/windows/temp"
trap 'rm -rf "$tmp"; rm -f "$wintemp"/demo-machine-*.reg' EXIT
log="$tmp/wine.log"
: >"$log"

# Runs one Wine command with no descriptor of ours: stdin from /dev/null,
# output into the log, everything above 2 closed. The wineserver that Wine
# starts inherits these and would otherwise keep a caller's pipe open.
run_wine() {
  (
    for fd in /proc/$BASHPID/fd/*; do
      fd=${fd##*/}
      [ "$fd" -gt 2 ] 2>/dev/null && eval "exec $fd>&-"
    done
    exec wine "$@"
  ) </dev/null >>"$log" 2>&1
}

wine_failed() {
  echo "seed-machine: $*" >&2
  iconv -f CP866 -t UTF-8 "$log" >&2 || cat "$log" >&2
  exit 1
}

# ---------------------------------------------------------------------------
# Registry
# ---------------------------------------------------------------------------

# Checks a .reg file (UTF-8, any line ends) line by line. Wine's reg import
# drops lines it does not understand without a word, so mistakes are caught
# here instead.
check_reg() {
  perl -e '
    use strict; use warnings;
    my $file = shift;
    open my $fh, "<:raw", $file or die "$file: $!\n";
    my @protected = map { lc } (
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID",
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\AppID",
      "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services",
      "HKEY_CURRENT_USER\\Software\\Microsoft");
    my ($n, $errors, $state) = (0, 0, "none");   # none, key, deleted
    my ($pending, $pending_line, $pending_type);  # hex data spread over lines
    sub err { print STDERR "$file:$_[0]: $_[1]\n"; $errors++ }
    sub check_string {
      my ($ln, $s, $what) = @_;
      (my $rest = $s) =~ s/\\[\\"]//g;
      err($ln, "$what: only \\\\ and \\\" are escapes") if $rest =~ /\\/;
    }
    sub check_hex {
      my ($ln, $type, $data) = @_;
      $data =~ s/\s+//g;
      if ($data !~ /^(?:[0-9a-fA-F]{2}(?:,[0-9a-fA-F]{2})*)?$/) {
        err($ln, "hex data must be two-digit bytes separated by commas"); return;
      }
      my @b = length $data ? split(/,/, $data) : ();
      my $t = defined $type ? hex $type : 3;
      my $tail = join ",", map { lc } @b[($#b > 2 ? $#b - 3 : 0) .. $#b];
      if ($t == 11 && @b != 8) { err($ln, "hex(b) (REG_QWORD) needs 8 bytes") }
      elsif ($t == 4 && @b != 4) { err($ln, "hex(4) (REG_DWORD) needs 4 bytes") }
      elsif (($t == 1 || $t == 2) && (@b % 2 || $tail !~ /00,00$/)) {
        err($ln, "hex($type) must be UTF-16 LE ending in 00,00") }
      elsif ($t == 7 && (@b % 2 || (@b > 2 && $tail !~ /^00,00,00,00$/))) {
        err($ln, "hex(7) must be UTF-16 LE strings ending in 00,00,00,00") }
    }
    while (my $line = <$fh>) {
      $n++;
      $line =~ s/\r?\n\z//;
      $line =~ s/\A\xEF\xBB\xBF// if $n == 1;
      if ($n == 1) {
        err($n, "the first line must be \"Windows Registry Editor Version 5.00\"")
          unless $line eq "Windows Registry Editor Version 5.00";
        next;
      }
      if (defined $pending) {
        my $more = $line =~ s/\\$//;
        $pending .= $line;
        next if $more;
        check_hex($pending_line, $pending_type, $pending);
        undef $pending;
        next;
      }
      next if $line =~ /^\s*$/ || $line =~ /^;/;
      if ($line =~ /^\[(-?)(HKEY_(?:LOCAL_MACHINE|CURRENT_USER|CLASSES_ROOT|USERS|CURRENT_CONFIG))((?:\\[^\\]+)+)\]$/) {
        my ($del, $key, $below) = ($1, "$2$3", $3);
        err($n, "a key name ends in blanks") if $key =~ /\s\\|\s$/;
        if ($del) {
          my $depth = () = $below =~ /\\/g;
          my $k = lc $key;
          err($n, "refusing to delete a key this high up: $key") if $depth < 2
            || grep { $_ eq $k || index($_, "$k\\") == 0 } @protected;
          $state = "deleted";
        } else {
          $state = "key";
        }
        next;
      }
      if ($line =~ /^\[/) { err($n, "malformed key line"); next }
      if ($line =~ /^(@|"((?:[^"\\]|\\.)*)")=(.*)$/) {
        my ($name, $data) = ($2, $3);
        err($n, "a value outside a key") if $state ne "key";
        check_string($n, $name, "value name") if defined $name;
        if ($data =~ /^"((?:[^"\\]|\\.)*)"$/) { check_string($n, $1, "string") }
        elsif ($data =~ /^dword:[0-9a-fA-F]{8}$/ || $data eq "-") { }
        elsif ($data =~ /^hex(?:\(([0-9a-fA-F]{1,8})\))?:(.*)$/) {
          my ($type, $hex) = ($1, $2);
          if ($hex =~ s/\\$//) { ($pending, $pending_line, $pending_type) = ($hex, $n, $type) }
          else { check_hex($n, $type, $hex) }
        }
        else { err($n, "unknown data (use \"...\", dword:XXXXXXXX, hex:, hex(N): or -)") }
        next;
      }
      err($n, "not a registry line (comments start with ;)");
    }
    err($n, "hex data continues past the end of the file") if defined $pending;
    exit($errors ? 1 : 0);
  ' "$1"
}

# Writes a .reg file as UTF-16 LE with byte-order mark and CR LF line ends,
# the form in which reg import reads non-ASCII text. With DROP=1 in the
# environment the lines that delete keys are left out.
to_utf16_reg() {
  { printf '\xff\xfe'
    perl -pe 's/\A\xEF\xBB\xBF// if $. == 1; $_ = "" if $ENV{DROP} && /^\[-/; s/\r?\n\z/\r\n/' "$1" |
      iconv -f UTF-8 -t UTF-16LE
  } >"$2"
}

check_reg "$machine/registry-32.reg" || die "registry-32.reg has errors"
if [ "$arch" = win64 ]; then
  check_reg "$machine/registry-64.reg" || die "registry-64.reg has errors"
else
  check_reg "$machine/registry-win32.reg" || die "registry-win32.reg has errors"
fi

# ---------------------------------------------------------------------------
# Files: read and check the whole manifest before changing anything
# ---------------------------------------------------------------------------

crlf() { perl -pe 's/\A\xEF\xBB\xBF// if $. == 1; s/\r?\n\z/\r\n/' "$1"; }

# Writes the content file SRC in encoding ENC to OUT.
produce() {
  local enc=$1 src=$2 out=$3
  case $enc in
    raw) cat "$src" >"$out" ;;
    sized) head -c "${src##*/}" /dev/zero >"$out" ;;
    utf8) crlf "$src" >"$out" ;;
    utf8bom) { printf '\xef\xbb\xbf'; crlf "$src"; } >"$out" ;;
    ansi) crlf "$src" | iconv -f UTF-8 -t CP1251 >"$out" ;;
    oem) crlf "$src" | iconv -f UTF-8 -t CP866 >"$out" ;;
    utf16le) { printf '\xff\xfe'; crlf "$src" | iconv -f UTF-8 -t UTF-16LE; } >"$out" ;;
  esac
}

# Checks the names of a path below its drive or folder variable.
check_names() {
  local rest=$1 where=$2 part
  local -a parts
  [ "${rest: -1}" != '\' ] || die "$where: the path ends with a backslash"
  IFS='\' read -r -a parts <<<"$rest"
  for part in "${parts[@]}"; do
    case $part in
      ''|.|..) die "$where: empty, '.' or '..' name in the path" ;;
      *[\<\>:\"/\|?*]*) die "$where: a character Windows does not allow in a name: $part" ;;
      *' '|*.) die "$where: a name ends in a blank or a dot: $part" ;;
    esac
    [[ $part =~ [[:cntrl:]] ]] && die "$where: control character in a name"
  done
  return 0
}

entry_line=() entry_enc=() entry_path=() entry_mtime=() entry_src=()
declare -A tokens=()
n=0
while IFS= read -r line || [ -n "$line" ]; do
  n=$((n + 1))
  line=${line%$'\r'}
  case $line in ''|'#'*) continue ;; esac
  IFS=$'\x1f' read -r enc wpath src only mtime extra <<<"${line//$'\t'/$'\x1f'}"
  where="files.tsv:$n"
  [ -z "${extra:-}" ] || die "$where: more than five columns"
  case $enc in
    sized)
      [[ $src =~ ^[0-9]{1,9}$ ]] || die "$where: a sized line takes the size in bytes as content" ;;
    ansi|oem|utf16le|utf8bom|utf8|raw)
      case $src in
        ''|-|/*|../*|*/../*|*/..) die "$where: bad content file '$src'" ;;
      esac
      [ -f "$content/$src" ] || die "$where: content/$src does not exist" ;;
    dir) [ "$src" = - ] || die "$where: a dir line takes '-' as content file" ;;
    link)
      case $src in
        ''|/*|*[\\]*) die "$where: a link takes a relative Linux path as its target" ;;
      esac ;;
    *) die "$where: unknown encoding '$enc'" ;;
  esac
  case ${only:-} in ''|win64|win32) ;; *) die "$where: arch must be win64, win32 or empty" ;; esac
  [ -z "${mtime:-}" ] || date -d "$mtime" >/dev/null 2>&1 || die "$where: bad date '$mtime'"
  if [[ $wpath =~ ^%([A-Za-z0-9_()]+)%\\(.+)$ ]]; then
    tokens[${BASH_REMATCH[1]}]=
    check_names "${BASH_REMATCH[2]}" "$where"
  elif [[ $wpath =~ ^[Cc]:\\(.+)$ ]]; then
    check_names "${BASH_REMATCH[1]}" "$where"
  else
    die "$where: the path must start with C:\\ or %VARIABLE%\\"
  fi
  [ -n "${only:-}" ] && [ "$only" != "$arch" ] && continue
  # The bytes of every file are made now, so that a text that does not fit
  # its code page stops the seeding before anything is changed.
  if [ "$enc" != dir ] && [ "$enc" != link ]; then
    produce "$enc" "$content/$src" "$tmp/file-${#entry_line[@]}" ||
      die "$where: cannot write content/$src as $enc (characters outside that code page?)"
  fi
  entry_line+=("$n") entry_enc+=("$enc") entry_path+=("$wpath") entry_src+=("$src")
  entry_mtime+=("${mtime:-$default_mtime}")
done <"$machine/files.tsv"

# Folder variables, as a 32-bit program sees them (that is what the collector
# is), hence the 32-bit command interpreter on a 64-bit prefix.
declare -A folder=()
if [ ${#tokens[@]} -gt 0 ]; then
  names=("${!tokens[@]}")
  cmdline=""
  for t in "${names[@]}"; do
    v=$t
    # Without a 32-bit interpreter the 64-bit one answers; the stand-in build reads the folders a
    # 32-bit program gets, the (x86) twins of the program folders.
    if [ -n "$only64" ]; then case ${t,,} in programfiles | commonprogramfiles) v="$t(x86)" ;; esac; fi
    cmdline+="${cmdline:+&}echo %$v%"
  done
  if [ "$arch" = win64 ]; then cmd='C:\windows\syswow64\cmd.exe'; else cmd=cmd; fi
  [ -z "$only64" ] || cmd=cmd
  : >"$log"
  run_wine "$cmd" /c "$cmdline" || wine_failed "cmd failed"
  mapfile -t values < <(iconv -f CP866 -t UTF-8 "$log" | tr -d '\r')
  [ ${#values[@]} -eq ${#names[@]} ] || wine_failed "unexpected output of cmd"
  for i in "${!names[@]}"; do
    v=${values[$i]}
    [[ $v =~ ^[Cc]:\\ ]] || die "%${names[$i]}% is '$v' in this prefix, not a folder on C:"
    folder[${names[$i]}]=${v%\\}
  done
fi

declare -A seen=()
for i in "${!entry_path[@]}"; do
  wpath=${entry_path[$i]}
  if [[ $wpath =~ ^%([A-Za-z0-9_()]+)%(\\.*)$ ]]; then
    wpath=${folder[${BASH_REMATCH[1]}]}${BASH_REMATCH[2]}
    entry_path[$i]=$wpath
  fi
  lower=${wpath,,}
  [ -z "${seen[$lower]:-}" ] ||
    die "files.tsv:${entry_line[$i]}: $wpath is listed twice (also on line ${seen[$lower]})"
  seen[$lower]=${entry_line[$i]}
done

# ---------------------------------------------------------------------------
# Seeding
# ---------------------------------------------------------------------------

# Registry. A 32-bit prefix has only one view.
# On a 64-bit prefix "wine reg" is the 32-bit reg.exe. Its import honours
# /reg:64 for keys and values but carries out the [-KEY] lines in its own,
# 32-bit view; so the 64-bit file's deletions are made with reg delete, which
# honours the view, and are left out of the copy that is imported.
if [ "$arch" = win64 ]; then
  to_utf16_reg "$machine/registry-32.reg" "$wintemp/demo-machine-32.reg" || die "registry-32.reg is not UTF-8"
  DROP=1 to_utf16_reg "$machine/registry-64.reg" "$wintemp/demo-machine-64.reg" || die "registry-64.reg is not UTF-8"
  run_wine reg import 'C:\windows\temp\demo-machine-32.reg' /reg:32 || wine_failed "importing registry-32.reg failed"
  while IFS= read -r key; do
    run_wine reg delete "$key" /f /reg:64 || true    # fails when the key is not there yet
  done < <(perl -ne 's/\A\xEF\xBB\xBF//; s/\r?\n\z//; print "$1\n" if /^\[-(.*)\]$/' "$machine/registry-64.reg")
  run_wine reg import 'C:\windows\temp\demo-machine-64.reg' /reg:64 || wine_failed "importing registry-64.reg failed"
  if [ -n "$only64" ]; then
    # Such a Wine leaves the 32-bit view without the Windows version, which WOW64 Windows keeps in both.
    version='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion'
    run_wine reg export "$version" 'C:\windows\temp\demo-machine-version.reg' /y /reg:64 &&
      run_wine reg import 'C:\windows\temp\demo-machine-version.reg' /reg:32 ||
      wine_failed "copying the Windows version into the 32-bit view failed"
    # Nor does it give the 32-bit view the program folders that WOW64 Windows names there.
    current='HKLM\Software\Microsoft\Windows\CurrentVersion'
    run_wine reg add "$current" /v ProgramFilesDir /d 'C:\Program Files (x86)' /f /reg:32 &&
      run_wine reg add "$current" /v CommonFilesDir /d 'C:\Program Files (x86)\Common Files' /f /reg:32 ||
      wine_failed "naming the 32-bit program folders failed"
  fi
else
  to_utf16_reg "$machine/registry-32.reg" "$wintemp/demo-machine-32.reg" || die "registry-32.reg is not UTF-8"
  run_wine reg import 'C:\windows\temp\demo-machine-32.reg' || wine_failed "importing registry-32.reg failed"
  to_utf16_reg "$machine/registry-win32.reg" "$wintemp/demo-machine-win32.reg" || die "registry-win32.reg is not UTF-8"
  run_wine reg import 'C:\windows\temp\demo-machine-win32.reg' || wine_failed "importing registry-win32.reg failed"
fi

# Finds NAME in the folder DIR as Windows would, without regard to case, and
# prints that entry's path; prints DIR/NAME when there is none.
shopt -s nullglob dotglob
lookup() {
  local dir=$1 name=$2 e b lower=${2,,}
  if [ -e "$dir/$name" ] || [ -L "$dir/$name" ]; then
    printf '%s\n' "$dir/$name"
    return
  fi
  for e in "$dir"/*; do
    b=${e##*/}
    if [ "${b,,}" = "$lower" ]; then
      printf '%s\n' "$e"
      return
    fi
  done
  printf '%s\n' "$dir/$name"
}

# Maps a checked Windows path to a path under drive_c, creating its folders.
# Sets $unix; the folders it creates are added to created_dirs.
declare -A resolved=()
created_dirs=()
map_path() {
  local wpath=$1 where=$2 dir key part e i
  local -a parts
  IFS='\' read -r -a parts <<<"${wpath:3}"
  dir="$prefix/drive_c"
  key="c:"
  for i in "${!parts[@]}"; do
    part=${parts[$i]}
    key+="\\${part,,}"
    if [ -n "${resolved[$key]:-}" ]; then
      dir=${resolved[$key]}
      continue
    fi
    e=$(lookup "$dir" "$part")
    if [ "$i" -lt $((${#parts[@]} - 1)) ]; then
      if [ ! -e "$e" ]; then
        mkdir "$e"
        created_dirs+=("$e")
      elif [ ! -d "$e" ]; then
        die "$where: ${e#"$prefix"/} is a file, not a folder"
      fi
      resolved[$key]=$e
    fi
    dir=$e
  done
  unix=$dir
}

# Remove what the previous seeding created: files first, then its folders when
# they are empty, deepest first. The record holds paths below drive_c, so it
# stays right in a copy of the prefix.
if [ -f "$record" ]; then
  while IFS=$'\t' read -r what path; do
    case $path in ''|/*|../*|*/../*) continue ;; esac
    [ "$what" = F ] && rm -f -- "$prefix/drive_c/$path"
  done <"$record"
  grep $'^D\t' "$record" | cut -f2- | LC_ALL=C sort -r | while IFS= read -r path; do
    case $path in ''|/*|../*|*/../*) continue ;; esac
    rmdir -- "$prefix/drive_c/$path" 2>/dev/null || true
  done
fi

# Files are put in place by renaming, so that a file shared with a hard-linked
# copy of the prefix is replaced, not changed.
created_files=() dir_entries=() dir_mtimes=()
for i in "${!entry_path[@]}"; do
  where="files.tsv:${entry_line[$i]}"
  map_path "${entry_path[$i]}" "$where"
  if [ "${entry_enc[$i]}" = dir ]; then
    if [ ! -e "$unix" ]; then
      mkdir "$unix"
      created_dirs+=("$unix")
    elif [ ! -d "$unix" ]; then
      die "$where: ${unix#"$prefix"/} exists and is not a folder"
    fi
    dir_entries+=("$unix") dir_mtimes+=("${entry_mtime[$i]}")
    continue
  fi
  if [ "${entry_enc[$i]}" = link ]; then
    # A Linux symbolic link shows to Windows programs as a folder that is a reparse point.
    [ ! -e "$unix" ] || [ -L "$unix" ] || die "$where: ${unix#"$prefix"/} exists and is not a link"
    ln -sfn -- "${entry_src[$i]}" "$unix"
    created_files+=("$unix")
    continue
  fi
  [ ! -d "$unix" ] || die "$where: ${unix#"$prefix"/} is a folder"
  part="$unix.seed-$$"
  cp -- "$tmp/file-$i" "$part"
  touch -d "${entry_mtime[$i]}" -- "$part"
  mv -f -- "$part" "$unix"
  created_files+=("$unix")
done

# Folder dates last: adding files changes them.
for d in "${created_dirs[@]}"; do touch -d "$default_mtime" -- "$d"; done
for i in "${!dir_entries[@]}"; do touch -d "${dir_mtimes[$i]}" -- "${dir_entries[$i]}"; done

{
  for f in "${created_files[@]}"; do printf 'F\t%s\n' "${f#"$prefix/drive_c/"}"; done
  for d in "${created_dirs[@]}"; do printf 'D\t%s\n' "${d#"$prefix/drive_c/"}"; done
} >"$record.new"
mv -f "$record.new" "$record"

# Let the wineserver write the registry to disk. A persistent server never
# exits; its registry is complete all the same, only not yet on disk.
if ! timeout 60 wineserver -w </dev/null >/dev/null 2>&1; then
  echo "seed-machine: the wineserver of $prefix is still running; the registry reaches disk when it exits" >&2
fi

echo "$hash" >"$stamp.new"
mv -f "$stamp.new" "$stamp"
echo "seed-machine: seeded the demo machine into $prefix ($arch, ${#created_files[@]} files)"
