#!/usr/bin/env bash
# A PostgreSQL 15 server of the build's own for the database tests: a cluster in DIR (made once), listening
# on 127.0.0.1 only, on a free port, with its unix socket in DIR. The tests connect as the role kw_test to
# the database kw_library_test (UTF8), over TCP as the ODBC driver under Wine does.
# usage: postgres-server.sh start DIR   installs what is missing, starts the server (or finds it running),
#                                      prints its port; DIR/port and DIR/password hold what a test needs,
#                                      and DIR/odbcinst.ini the drivers for ODBCSYSINI=DIR
#        postgres-server.sh stop DIR    stops it; the cluster stays for the next start
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
case "${1:-}:$#" in
  start:2 | stop:2) ;;
  *) echo "usage: postgres-server.sh start|stop DIR" >&2; exit 2 ;;
esac
action=$1
dir=$(realpath -m "$2")
data="$dir/data"
log="$dir/server.log"
bin=/usr/lib/postgresql/15/bin
export LC_ALL=C.UTF-8 # English messages, which the port retry below reads

# PostgreSQL refuses to run as root: then the cluster belongs to the postgres system user.
owner=$(id -un)
[ "$(id -u)" -ne 0 ] || owner=postgres
as_owner() {
  if [ "$owner" = "$(id -un)" ]; then "$@"; else runuser -u "$owner" -- "$@"; fi
}

# The postmaster's PID when a server of this cluster is alive, else nothing. A lock file left by a server
# that died (a restarted machine) may name a PID that another program now has.
server_pid() {
  local pid
  pid=$(head -n 1 "$data/postmaster.pid" 2>/dev/null) || return 0
  [[ "$pid" =~ ^[0-9]+$ ]] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = postgres ] && echo "$pid"
  return 0
}

if [ "$action" = stop ]; then
  [ -n "$(server_pid)" ] || exit 0
  (cd "$dir" && as_owner "$bin/pg_ctl" -D "$data" -m fast -w -t 60 stop >/dev/null)
  exit 0
fi

# The socket is DIR/.s.PGSQL.PORT, and a unix socket's path has at most 107 bytes.
[ ${#dir} -le 90 ] || { echo "postgres-server.sh: $dir is too long a path for the server's socket" >&2; exit 2; }

mkdir -p "$dir"
if ! "$here/install-deps.sh" >"$dir/install.log" 2>&1 </dev/null; then
  echo "postgres-server.sh: installing the packages failed; the end of $dir/install.log:" >&2
  tail -n 20 "$dir/install.log" >&2
  exit 1
fi
chown "$owner:" "$dir"
chmod 755 "$dir"
cd "$dir"
as_owner test -w "$dir" -a -x "$dir" ||
  { echo "postgres-server.sh: $owner cannot reach $dir (a parent folder closed to it?)" >&2; exit 1; }

# The cluster is made in a scratch folder and moved into place whole: an interrupted initdb leaves none.
if [ ! -f "$data/PG_VERSION" ]; then
  rm -rf "$data" "$data.new"
  if ! as_owner "$bin/initdb" -D "$data.new" -E UTF8 --locale=C.UTF-8 --auth-local=peer \
      --auth-host=scram-sha-256 >"$dir/initdb.log" 2>&1; then
    echo "postgres-server.sh: initdb failed:" >&2
    tail -n 20 "$dir/initdb.log" >&2
    exit 1
  fi
  # Where and on which port it listens is written anew before every start (the folder may have moved).
  echo "include_if_exists = 'kw_listen.conf'" | as_owner tee -a "$data.new/postgresql.conf" >/dev/null
  mv "$data.new" "$data"
fi

port_free() { ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

pid=$(server_pid)
if [ -n "$pid" ]; then
  # Left running: a server that is still starting gets the time to finish.
  port=$(sed -n 4p "$data/postmaster.pid")
  for _ in $(seq 60); do
    as_owner "$bin/pg_isready" -q -h "$dir" -p "$port" && break
    sleep 1
  done
else
  rm -f "$data/postmaster.pid"
  # The last port if it is still free, else one drawn below the kernel's range for outgoing connections;
  # another program may take a port between the test and the bind, so a bind failure tries the next one.
  port=""
  for attempt in $(seq 20); do
    candidate=$((20000 + RANDOM % 12000))
    [ "$attempt" -gt 1 ] || [ ! -f "$dir/port" ] || candidate=$(cat "$dir/port")
    if ! [[ "$candidate" =~ ^[0-9]+$ ]] || ! port_free "$candidate"; then continue; fi
    sock_dir=${dir//\'/\'\'}
    printf "listen_addresses = '127.0.0.1'\nport = %s\nunix_socket_directories = '%s'\n" "$candidate" \
      "$sock_dir" | as_owner tee "$data/kw_listen.conf" >/dev/null
    logged=$(stat -c %s "$log" 2>/dev/null || echo 0)
    if as_owner "$bin/pg_ctl" -D "$data" -l "$log" -w -t 60 start >/dev/null 2>&1; then
      port=$candidate
      break
    fi
    if ! tail -c +$((logged + 1)) "$log" 2>/dev/null | grep -q 'could not bind\|could not create any TCP/IP'; then
      echo "postgres-server.sh: the server did not start; the end of $log:" >&2
      tail -n 20 "$log" >&2 2>/dev/null || true
      exit 1
    fi
  done
  [ -n "$port" ] || { echo "postgres-server.sh: found no free port for the server" >&2; exit 1; }
fi
as_owner "$bin/pg_isready" -q -h "$dir" -p "$port" ||
  { echo "postgres-server.sh: the server on port $port does not accept connections" >&2; exit 1; }

# The role's password is made once and kept, so that a test's settings stay valid across starts.
[ -s "$dir/password" ] || { od -An -N16 -tx1 /dev/urandom | tr -d ' \n' >"$dir/password.new" &&
                            chmod 600 "$dir/password.new" && mv "$dir/password.new" "$dir/password"; }
password=$(cat "$dir/password")
as_owner "$bin/psql" -X -q -v ON_ERROR_STOP=1 -h "$dir" -p "$port" -d postgres -v password="$password" \
  >/dev/null <<'SQL'
SELECT 'CREATE ROLE kw_test LOGIN' WHERE NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'kw_test') \gexec
ALTER ROLE kw_test LOGIN PASSWORD :'password';
SELECT 'CREATE DATABASE kw_library_test OWNER kw_test ENCODING ''UTF8'' TEMPLATE template0'
  WHERE NOT EXISTS (SELECT FROM pg_database WHERE datname = 'kw_library_test') \gexec
ALTER DATABASE kw_library_test OWNER TO kw_test;
SQL
# The drivers by bare file name, so that each architecture's unixODBC loads its own from its own library
# folder (64-bit and 32-bit Wine processes alike), as Debian registers them in /etc/odbcinst.ini; but
# without its CommLog=1, which leaves a /tmp/psqlodbc_*.log behind every process that connects.
driver() { printf '[PostgreSQL %s]\nDriver=%s\nSetup=libodbcpsqlS.so\nDebug=0\nCommLog=0\n\n' "$1" "$2"; }
{ driver ANSI psqlodbca.so; driver Unicode psqlodbcw.so; } >"$dir/odbcinst.ini"
echo "$port" >"$dir/port"
echo "$port"
