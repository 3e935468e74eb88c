# Shared by tools/run and tools/screenshots: a virtual display and screenshots
# of it. Source it after setup.sh.
#
#   start_xvfb            starts Xvfb on a free display, exports DISPLAY, and
#                         returns once the server takes connections
#   stable_shot FILE [GEOMETRY]
#                         saves the screen (or the GEOMETRY crop) as a PNG once
#                         something is on it and two captures in a row are the
#                         same, so that nothing is caught half drawn (a blinking
#                         caret lets that happen within half a second)

start_xvfb() {
  local n=99
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "${XVFB_SCREEN:-1024x768x24}" -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 100); do
    if EMPTY_SCREEN="$(xwd -root -silent 2>/dev/null | md5sum)"; then return 0; fi
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "Xvfb did not start on $DISPLAY" >&2
  return 1
}

stop_xvfb() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" >/dev/null 2>&1 || true
}

stable_shot() {
  local file="$1" geometry="${2:-}" prev="" cur i tmp
  local crop=()
  [ -n "$geometry" ] && crop=(-crop "$geometry" +repage)
  tmp="$(mktemp)"
  for i in $(seq 50); do
    xwd -root -silent >"$tmp"
    cur="$(md5sum <"$tmp")"
    [ "$cur" = "$prev" ] && [ "$cur" != "${EMPTY_SCREEN:-}" ] && break
    prev="$cur"
    sleep 0.1
  done
  convert "xwd:$tmp" "${crop[@]}" "$file"
  local rc=$?
  rm -f "$tmp"
  return $rc
}
