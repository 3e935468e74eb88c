#!/bin/sh
# testrecord - a CUPS backend for the test server that keeps what it gets.
# Its device URI names a folder, "testrecord:/path/to/folder"; each job's
# data goes to <folder>/<job-id>.data, and <folder>/<job-id>.info holds the
# job's title, its options and its content type, one "name=value" a line.
# The tests read both to see what reached the printer (a command file's
# command, the two-sided option of a duplex test).
#
# Without arguments it lists its device, as every backend does.
if [ $# -eq 0 ]; then
  echo 'direct testrecord "Test Recording Printer" "Test printer that keeps what it gets"'
  exit 0
fi
if [ $# -lt 5 ] || [ $# -gt 6 ]; then
  echo "Usage: testrecord job-id user title copies options [file]" >&2
  exit 1
fi
folder="${DEVICE_URI#testrecord:}"
if [ -z "$folder" ] || [ ! -d "$folder" ]; then
  echo "ERROR: testrecord: no folder $folder" >&2
  exit 1
fi
if [ $# -eq 6 ]; then
  cat "$6" >"$folder/$1.data.tmp"
else
  cat >"$folder/$1.data.tmp"
fi
printf 'title=%s\noptions=%s\ncontent-type=%s\n' "$3" "$5" "${CONTENT_TYPE:-}" >"$folder/$1.info.tmp"
mv "$folder/$1.data.tmp" "$folder/$1.data"
mv "$folder/$1.info.tmp" "$folder/$1.info"
echo 'INFO: kept' >&2
exit 0
