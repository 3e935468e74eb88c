#!/bin/sh
# testsupply - a CUPS backend for the test server. It takes a job (reads and
# discards the data) and reports what a printer with two toner cartridges,
# one of them nearly empty, would report: supply names, types, colours and
# levels through ATTR: lines, and the toner-low state reason through STATE:.
#
# Without arguments it lists its device, as every backend does.
if [ $# -eq 0 ]; then
  echo 'direct testsupply:/ "Test Supply Printer" "Test printer with supply levels"'
  exit 0
fi
if [ $# -lt 5 ] || [ $# -gt 6 ]; then
  echo "Usage: testsupply job-id user title copies options [file]" >&2
  exit 1
fi
if [ $# -eq 6 ]; then
  cat "$6" >/dev/null
else
  cat >/dev/null
fi
echo 'ATTR: marker-names=Black\ Toner,Cyan\ Toner marker-types=toner,toner marker-colors=#000000,#00FFFF marker-levels=12,80 marker-low-levels=15,15 marker-high-levels=100,100' >&2
echo 'STATE: +toner-low-report' >&2
echo 'INFO: printed' >&2
exit 0
