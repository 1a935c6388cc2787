#!/usr/bin/env bash
# Takes the metainfo's screenshot, packaging/screenshots/terminal.png: the desktop view at
# twice the scale on a virtual display, COM1 opened on the simulated controller and "$00M"
# sent once, so the module's answer is in the receive record. Run it after ./run or ./test
# has built build/, and again whenever the dialog's look changes.
#   sudo apt-get install xvfb x11-apps netpbm xdotool
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-screenshot.XXXXXX")
pids=()
stop() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap stop EXIT

export DISPLAY=:$((90 + RANDOM % 100))
Xvfb "$DISPLAY" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
# The link's path shows in the status line, so it is a short one.
mkdir -p /tmp/sim
"$top/build/tools/quorvel-sim" --link /tmp/sim/com1 --backplane "$work/backplane" --ready-file "$work/ready" >/dev/null &
pids+=($!)
sleep 1
QT_SCALE_FACTOR=2 QUORVEL_COM1=/tmp/sim/com1 QUORVEL_BACKPLANE="$work/backplane" "$top/build/app/quorvel" 2>/dev/null &
pids+=($!)
sleep 3

# The buttons' places in the dialog at twice the scale: Open Com, then Send.
eval "$(xdotool getwindowgeometry --shell "$(xdotool search --name Quorvel | tail -1)")"
xdotool mousemove $((X + 140)) $((Y + 254)) click 1
sleep 0.5
xdotool mousemove $((X + 642)) $((Y + 366)) click 1
sleep 1
xdotool mousemove 1590 1190
mkdir -p "$top/packaging/screenshots"
xwd -root -silent | xwdtopnm 2>/dev/null | pnmcut -left "$X" -top "$Y" -width "$WIDTH" -height "$HEIGHT" |
  pnmtopng -compression 9 >"$top/packaging/screenshots/terminal.png"
echo "packaging/screenshots/terminal.png: ${WIDTH}x${HEIGHT}"
