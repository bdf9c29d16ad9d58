#!/usr/bin/env bash
# Run inside xvfb-run: starts DEMO --snapshots OUT/shots, captures its window
# with ImageMagick's import, and compares it with the newest snapshot; then
# for each STEP (xdotool key names, "Down Down Return"; Down when none is
# given) sends its keys and compares again once the screen has settled: a
# new snapshot, the window not busy, and no other snapshot for QUIET seconds
# (default 0.1). Prints one line per step:
#   shown N AE        the window against snapshot N, differing pixels
#   size W H          the captured window's size
#   closed STATUS     the exit status after the window was asked to close
# and exits 1 when a step could not be done.
#   xvfb_window.sh DEMO OUT [STEP...]
set -euo pipefail
demo=$1
out=$2
shift 2
[ $# -gt 0 ] || set -- Down
quiet=${QUIET:-0.1}
# Under the sanitizers, the libraries SDL brings in for the display and the
# input method (dbus, X modules loaded and unloaded again) keep allocations
# at exit that are not ours; leaks are checked in the headless tests.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
"$demo" --snapshots "$out/shots" </dev/null >"$out/demo.log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
# Every X step is bounded, and a step that fails or runs out of time says
# which it was.
doing=""
fail() { echo "$doing: $*"; exit 1; }

count() { ls "$out/shots" 2>/dev/null | grep -c '\.png$' || true; }

# The window is on screen with its first frame once the first snapshot is
# written: only then is it looked for, among the visible windows (SDL makes
# and drops windows while it starts). A window that goes away under the
# search ends it with an X error: search again.
doing="waiting for the first snapshot"
for _ in $(seq 1 300); do
  [ "$(count)" -ge 1 ] && break
  sleep 0.1
done
[ "$(count)" -ge 1 ] || fail "no snapshot"
doing="finding the window"
wid=""
for _ in $(seq 1 200); do
  wid=$(timeout 10 xdotool search --onlyvisible --name '^Tessel$' 2>/dev/null | head -n 1) || true
  [ -n "$wid" ] && break
  sleep 0.1
done
[ -n "$wid" ] || fail "no window"

# Waits (bounded) for at least `want` snapshots, the window not busy and a
# quiet moment, then captures the window and compares it with the newest
# snapshot; a snapshot written while capturing makes it wait and capture
# again.
capture() {
  local name=$1 want=$2 seen=-1 now last ae
  local until=$((SECONDS + 60))
  while :; do
    doing="waiting for $name to settle"
    [ "$SECONDS" -lt "$until" ] || fail "the screen never settled"
    now=$(count)
    if [ "$now" -ge "$want" ] && [ "$now" = "$seen" ] \
      && [ "$(timeout 10 xdotool getwindowname "$wid" 2>/dev/null)" = Tessel ]; then
      doing="capturing $name"
      timeout 20 import -window "$wid" "$out/$name.png" || fail "import failed"
      [ "$(count)" = "$now" ] && break
    fi
    seen=$now
    sleep "$quiet"
  done
  last=$(ls "$out/shots"/*.png | tail -n 1)
  ae=$(compare -metric AE "$out/$name.png" "$last" null: 2>&1 || true)
  echo "shown $(basename "$last" .png) $ae"
}
capture first 1
echo "size $(identify -format '%w %h' "$out/first.png")"
step=0
for keys in "$@"; do
  step=$((step + 1))
  before=$(count)
  doing="sending $keys"
  # shellcheck disable=SC2086
  timeout 20 xdotool windowfocus --sync "$wid" key --delay 50 $keys || fail "xdotool failed"
  capture "step$step" $((before + 1))
done
# Closing the window ends the program through its close hook, with 0.
doing="closing the window"
timeout 20 python3 "$(dirname "$0")/x_close.py" "$wid" || fail "x_close.py failed"
status=0
timeout 10 tail --pid="$pid" -f /dev/null || status=timeout
[ "$status" = timeout ] || { wait "$pid" || status=$?; }
echo "closed $status"
