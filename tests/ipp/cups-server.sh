#!/bin/bash
# cups-server.sh - a private CUPS server for the tests: Debian's cupsd in the
# foreground with its own configuration, state and queues in one folder, on a
# free loopback port. Nothing of the system's CUPS is used or changed.
#
# Usage: cups-server.sh start DIR   starts the server, waits until it answers,
#                                   creates the test queues; prints the address
#        cups-server.sh stop DIR    stops it (and anything it started)
#        cups-server.sh env DIR -- COMMAND [ARGS]
#                                   runs COMMAND with CUPS_SERVER=127.0.0.1:PORT
#
# DIR/server holds "127.0.0.1:PORT" while the server runs, DIR/pid its process
# id; DIR/log/error_log is the server's log (LogLevel debug).
#
# Queues (all "file:///dev/null" unless said otherwise, so jobs are accepted
# and thrown away):
#   office     location "Room 101", info "Office printer"
#   lab        location "Lab 2",    info "Lab printer"
#   stopped    location "Basement", disabled with cupsdisable and a reason
#   supplies   location "Store",    device "testsupply:/": our backend below,
#              which reports supply levels and state reasons while a job runs
#   locked     location "Vault",    its operation policy asks for Basic
#              authentication for every operation (HTTP 401 without it)
#   color      location "Print room", described by color.ppd: a colour printer
#              with two-sided printing (printer-type has those bits)
#
# Besides testsupply, ServerBin has the backend testrecord (testrecord-
# backend.sh): a queue made with "-v testrecord:DIR/received" keeps every
# job's data and options in DIR/received (writable for the jobs' user) for
# the tests to read. Job files are kept too (PreserveJobFiles): DIR/spool/
# d<job>-001 is the document as it was sent.
#
# Once the queues exist, one job goes to "supplies" and the start waits until
# the backend's report arrived, so the levels are there for every test; that
# job stays in the completed jobs (PreserveJobHistory).
#
# As root the server runs its jobs as nobody/nogroup (cupsd refuses to run
# them as root); its folders are made writable for that user.
set -uo pipefail

ACTION="${1:?start|stop|env}"
DIR="${2:?folder}"
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

fail() { echo "cups-server: $*" >&2; exit 1; }

for tool in cupsd lpadmin cupsdisable lp ipptool; do
  command -v "$tool" >/dev/null || [ -x "/usr/sbin/$tool" ] ||
    fail "$tool not found (tools/setup.sh installs cups-daemon, cups-client and cups-ipp-utils)"
done
PATH="$PATH:/usr/sbin"

stop_server() {
  [ -f "$DIR/pid" ] || return 0
  local pid
  pid=$(cat "$DIR/pid")
  rm -f "$DIR/server"
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill -TERM "$pid" 2>/dev/null
    for _ in $(seq 1 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && kill -KILL "$pid" 2>/dev/null
  fi
  rm -f "$DIR/pid"
}

# A free TCP port on 127.0.0.1: one that nothing listens on now. cupsd binds
# it a moment later; if another program takes it in between, cupsd fails to
# start and start_server tries the next candidate.
candidate_port() {
  local port
  while :; do
    port=$(( 20000 + (RANDOM * 32768 + RANDOM) % 40000 ))
    # A refused connection: nothing listens there.
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return; }
  done
}

write_configuration() {
  local port="$1" user_lines=""
  if [ "$(id -u)" -eq 0 ]; then
    user_lines=$'User nobody\nGroup nogroup'
  fi
  cat >"$DIR/cupsd.conf" <<EOF
# Private test server: loopback only, no sharing, no browsing, no limits.
LogLevel debug
MaxLogSize 0
Listen 127.0.0.1:$port
ServerName 127.0.0.1
ServerAlias *
Browsing No
BrowseLocalProtocols none
WebInterface No
DefaultAuthType Basic
PreserveJobFiles Yes
PreserveJobHistory Yes
MaxJobs 0
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order allow,deny
    Allow all
  </Limit>
</Policy>
<Policy locked>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    AuthType Basic
    Require valid-user
    Order allow,deny
    Allow all
  </Limit>
</Policy>
EOF
  cat >"$DIR/cups-files.conf" <<EOF
$user_lines
SystemGroup root
FileDevice Yes
ServerRoot $DIR/root
ServerBin $DIR/bin
RequestRoot $DIR/spool
TempDir $DIR/spool/tmp
CacheDir $DIR/cache
StateDir $DIR/state
ErrorLog $DIR/log/error_log
AccessLog $DIR/log/access_log
PageLog $DIR/log/page_log
Printcap $DIR/printcap
EOF
}

prepare_folders() {
  rm -rf "$DIR"
  mkdir -p "$DIR"/{root/ppd,root/ssl,bin/backend,bin/filter,spool/tmp,cache,state,log,received} ||
    fail "cannot create $DIR"
  chmod 1777 "$DIR/received"
  # cupsd finds cups-exec (which starts backends) and its notifiers here.
  ln -s /usr/lib/cups/daemon "$DIR/bin/daemon"
  ln -s /usr/lib/cups/notifier "$DIR/bin/notifier"
  # Backends run as the unprivileged user; cupsd runs only programs owned by
  # root and not writable by others.
  install -m 0755 "$HERE/testsupply-backend.sh" "$DIR/bin/backend/testsupply"
  install -m 0755 "$HERE/testrecord-backend.sh" "$DIR/bin/backend/testrecord"
  chmod 0755 "$DIR" "$DIR/bin" "$DIR/bin/backend" "$DIR/bin/filter"
  if [ "$(id -u)" -eq 0 ]; then
    chown -R nobody:nogroup "$DIR/spool" "$DIR/cache" "$DIR/state" "$DIR/log"
    chmod 1777 "$DIR/spool/tmp"
    # The unprivileged user must reach the folder from /.
    local d="$DIR"
    while [ "$d" != "/" ]; do
      chmod o+x "$d" 2>/dev/null || true
      d=$(dirname "$d")
    done
  fi
}

wait_until_answering() {
  local port="$1" pid="$2"
  for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || return 1
    if ipptool -T 2 "ipp://127.0.0.1:$port/" "$HERE/get-printers.test" >/dev/null 2>&1; then
      return 0
    fi
    sleep 0.1
  done
  return 1
}

create_queues() {
  export CUPS_SERVER="127.0.0.1:$1"
  lpadmin -p office -E -v file:///dev/null -L "Room 101" -D "Office printer" &&
  lpadmin -p lab -E -v file:///dev/null -L "Lab 2" -D "Lab printer" &&
  lpadmin -p stopped -E -v file:///dev/null -L "Basement" -D "Stopped printer" &&
  cupsdisable -r "Out of order" stopped &&
  lpadmin -p supplies -E -v testsupply:/ -L "Store" -D "Printer with supplies" &&
  lpadmin -p locked -E -v file:///dev/null -L "Vault" -D "Locked printer" \
          -o printer-op-policy=locked &&
  lpadmin -p color -E -v file:///dev/null -P "$HERE/color.ppd" -L "Print room" \
          -D "Colour printer" 2>/dev/null &&
  echo "supply check" | lp -d supplies -t "supply check" >/dev/null || return 1
  for _ in $(seq 1 100); do
    ipptool -T 2 "ipp://127.0.0.1:$1/printers/supplies" "$HERE/wait-markers.test" \
      >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "cups-server: the test backend reported no supply levels" >&2
  return 1
}

start_server() {
  stop_server
  local attempt port pid
  for attempt in 1 2 3 4 5; do
    prepare_folders
    port=$(candidate_port)
    write_configuration "$port"
    setsid cupsd -f -c "$DIR/cupsd.conf" -s "$DIR/cups-files.conf" \
      </dev/null >"$DIR/log/cupsd.out" 2>&1 &
    pid=$!
    echo "$pid" >"$DIR/pid"
    if wait_until_answering "$port" "$pid"; then
      create_queues "$port" || { stop_server; fail "lpadmin failed (log: $DIR/log/error_log)"; }
      echo "127.0.0.1:$port" >"$DIR/server"
      echo "cups-server: cupsd $pid answers on 127.0.0.1:$port (folder $DIR)"
      return 0
    fi
    echo "cups-server: attempt $attempt on port $port failed:" >&2
    tail -n 5 "$DIR/log/cupsd.out" "$DIR/log/error_log" >&2 2>/dev/null
    stop_server
  done
  fail "cupsd did not start"
}

case "$ACTION" in
  start) start_server ;;
  stop) stop_server; echo "cups-server: stopped" ;;
  env)
    shift 2
    [ "${1:-}" = "--" ] && shift
    [ -f "$DIR/server" ] || fail "no server running in $DIR"
    CUPS_SERVER=$(cat "$DIR/server")
    export CUPS_SERVER
    exec "$@"
    ;;
  *) fail "unknown action $ACTION" ;;
esac
