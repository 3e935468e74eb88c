#!/bin/bash
# check-defaults.sh - CUPS-Add-Modify-Printer through our client changes what
# the server reports, as seen by ipptool (CUPS's own tool, not our decoder).
#
# Usage: check-defaults.sh <cups folder> <wine-run> <ipp_client_tests.exe>
# For each value, the Wine test ScriptedDefaults.SetSidesDefaultOfOffice sets
# the "office" queue's sides-default to it; ipptool must then report it.
set -uo pipefail
DIR="${1:?cups folder}"
WINE_RUN="${2:?wine-run}"
PROGRAM="${3:?test program}"
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

[ -f "$DIR/server" ] || { echo "no CUPS test server in $DIR" >&2; exit 1; }
SERVER=$(cat "$DIR/server")
export CUPS_SERVER="$SERVER"

reported() {
  ipptool -tv "ipp://$SERVER/printers/office" "$HERE/get-sides-default.test" 2>&1 |
    sed -n 's/^ *sides-default (keyword) = //p'
}

before=$(reported)
echo "sides-default before: ${before:-<none>}"
status=0
for value in two-sided-long-edge two-sided-short-edge one-sided; do
  if ! IPP_TEST_SIDES="$value" "$WINE_RUN" "$PROGRAM" \
       --gtest_filter=ScriptedDefaults.SetSidesDefaultOfOffice \
       >"$DIR/check-defaults.log" 2>&1; then
    cat "$DIR/check-defaults.log" >&2
    echo "FAILED: the client could not set sides-default=$value" >&2
    status=1
    continue
  fi
  grep -q "\[  PASSED  \] 1 test" "$DIR/check-defaults.log" ||
    { cat "$DIR/check-defaults.log" >&2; echo "FAILED: the test did not run" >&2; status=1; }
  got=$(reported)
  if [ "$got" = "$value" ]; then
    echo "sides-default=$value: ipptool reports $got"
  else
    echo "FAILED: after setting $value ipptool reports '${got:-<none>}'" >&2
    status=1
  fi
done
exit $status
