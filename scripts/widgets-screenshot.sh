#!/usr/bin/env bash
# Shows the widget toolkit at work: builds glowmoth-widgets-demo, runs it on a
# virtual X display, clicks the button twice, ticks the check box, drags the
# slider's knob, and saves a screenshot.
#
#   scripts/widgets-screenshot.sh [output.png] [build-dir]
#
# Defaults: build/widgets-screenshot.png and build/release.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/build/widgets-screenshot.png}"
build="${2:-$root/build/release}"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DGLOWMOTH_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target glowmoth-widgets-demo >/dev/null
demo="$build/bin/glowmoth-widgets-demo"
mkdir -p "$(dirname "$out")"

# The work happens inside one virtual display; xvfb-run picks a free number.
xvfb-run -a -s "-screen 0 640x480x24" bash -s "$demo" "$out" <<'INNER'
set -euo pipefail
demo="$1"
out="$2"
"$demo" 20 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

# Wait for the demo's window to appear.
for _ in $(seq 1 100); do
  win="$(xdotool search --name 'Glowmoth widgets' 2>/dev/null | head -n1 || true)"
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "${win:-}" ] || { echo "the demo window did not appear" >&2; exit 1; }
xdotool windowmove "$win" 0 0
sleep 0.5

click() { xdotool mousemove "$1" "$2"; sleep 0.1; xdotool mousedown 1; sleep 0.1; xdotool mouseup 1; sleep 0.2; }
click 320 150          # the button, twice
click 320 150
click 261 241          # the check box
# Drag the knob most of the way to the right.
xdotool mousemove 320 332; sleep 0.1; xdotool mousedown 1; sleep 0.1
for x in 340 360 380 400; do xdotool mousemove "$x" 332; sleep 0.05; done
xdotool mouseup 1; sleep 0.2
# Rest the pointer on the button so its pressed look is not in the picture.
xdotool mousemove 600 20
sleep 0.5

import -window root "$out"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
trap - EXIT
INNER

echo "screenshot: $out"
