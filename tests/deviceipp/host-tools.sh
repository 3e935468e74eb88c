#!/bin/bash
# host-tools.sh - runs a Windows test program under Wine beside the CUPS test
# server (tests/ipp/cups-server.sh), and runs the host's CUPS tools for it
# while it runs.
#
# Usage: host-tools.sh <cups folder> <wine-run> <program> [args]
#
# The program gets CUPS_SERVER=127.0.0.1:PORT and HOST_TOOLS_DIR, a folder
# where it drops a request: one shell command line in <n>.request
# (tests/support/HostTools.h). This script runs it with bash (CUPS_SERVER set,
# IPP_TEST_DATA naming tests/ipp for its .test files and color.ppd,
# DEVICEIPP_TEST_DATA naming tests/deviceipp, CUPS_TEST_DIR the server's
# folder: its spool/ with the kept job files, its received/ for the
# testrecord backend) and
# writes its output to <n>.out and then its exit status to <n>.status. That
# way a test checks the server with CUPS's own tools (lpstat, ipptool) and
# changes it (lpadmin) while the program under test runs, without going
# through our IPP code.
set -uo pipefail
CUPS_DIR="${1:?cups folder}"
shift
[ -f "$CUPS_DIR/server" ] || { echo "host-tools: no CUPS test server in $CUPS_DIR" >&2; exit 1; }
CUPS_SERVER="$(cat "$CUPS_DIR/server")"
IPP_TEST_DATA="$(cd "$(dirname "${BASH_SOURCE[0]}")/../ipp" && pwd)"
DEVICEIPP_TEST_DATA="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
REQUESTS="$(mktemp -d)"
CUPS_TEST_DIR="$(cd "$CUPS_DIR" && pwd)"
export CUPS_SERVER IPP_TEST_DATA DEVICEIPP_TEST_DATA CUPS_TEST_DIR
export HOST_TOOLS_DIR="Z:${REQUESTS//\//\\}"
export PATH="$PATH:/usr/sbin"

serve() {
  local request base command
  for request in "$REQUESTS"/*.request; do
    [ -e "$request" ] || continue
    base="${request%.request}"
    command="$(cat "$request")"
    rm -f "$request"
    timeout 60 bash -c "$command" </dev/null >"$base.out.tmp" 2>&1
    echo $? >"$base.status.tmp"
    mv "$base.out.tmp" "$base.out"
    mv "$base.status.tmp" "$base.status"
  done
}

"$@" &
PROGRAM=$!
trap 'kill $PROGRAM 2>/dev/null; rm -rf "$REQUESTS"' EXIT
while kill -0 "$PROGRAM" 2>/dev/null; do
  serve
  sleep 0.05
done
wait "$PROGRAM"
