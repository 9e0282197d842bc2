#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine; does nothing that is already done.
set -euo pipefail

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

# tcl and gcc make SQLite's amalgamation from its source tree (scripts/build-sqlite.sh); PostgreSQL and the
# ODBC drivers of both architectures serve the database tests (scripts/postgres-server.sh): Wine's odbc32
# loads the unixODBC library (libodbc2) of its own architecture, which loads that architecture's driver.
packages=(cmake make mingw-w64 g++-mingw-w64-i686-posix wine wine32:i386 wine64
          xvfb xauth x11-apps imagemagick locales googletest nasm dpkg-dev gcab cabextract clang-format
          gcc tcl postgresql-15 unixodbc odbc-postgresql libodbc2:i386 odbc-postgresql:i386)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq || true
  if ! $SUDO apt-get install -y -qq "${missing[@]}" </dev/null; then
    # During a mirror sync the i386 index of the security suite can lag behind the amd64 one; the 32-bit
    # libraries must have the versions of their 64-bit twins, so this install takes both from the release.
    pin=$(mktemp)
    printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: 100\n' > "$pin"
    $SUDO apt-get install -y -qq -o Dir::Etc::preferences="$pin" "${missing[@]}" </dev/null
    rm -f "$pin"
  fi
fi

# Wine needs the Russian locale to report ANSI 1251 and OEM 866.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf8$'; then
  $SUDO sed -i 's/^# *\(ru_RU.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
