#!/bin/bash
# printers-run.sh - runs the reliability run of the IPP device service on a
# CUPS server of its own, so that what it does to the printers (restarting
# the stopped queue, clearing job histories, deleting a queue) touches no
# other test's server.
#
# Usage: printers-run.sh <cups folder> <wine-run> <program> [args]
#
# Starts tests/ipp/cups-server.sh in <cups folder>, runs the program under
# tests/deviceipp/host-tools.sh (CUPS_SERVER names the server; the program
# changes it with CUPS's own tools), and stops the server whatever happened.
set -uo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
CUPS_DIR="${1:?cups folder}"
shift
bash "$HERE/../ipp/cups-server.sh" start "$CUPS_DIR" || exit 1
trap 'bash "$HERE/../ipp/cups-server.sh" stop "$CUPS_DIR" >/dev/null' EXIT
bash "$HERE/../deviceipp/host-tools.sh" "$CUPS_DIR" "$@"
