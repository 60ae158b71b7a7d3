#!/usr/bin/env bash
# Shows the widget toolkit at work: builds glowmoth-widgets-demo, runs it on a
# virtual X display, clicks the button twice, ticks the check box, drags the
# slider's knob, saves a screenshot and ends the demo with Escape.
#
#   scripts/widgets-screenshot.sh [output.png] [build-dir]
#
# Defaults: build/widgets-screenshot.png and build/release.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/build/widgets-screenshot.png}"
build="${2:-$root/build/release}"
case "$out" in /*) ;; *) out="$PWD/$out" ;; esac

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DGLOWMOTH_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target glowmoth-widgets-demo >/dev/null
demo="$build/bin/glowmoth-widgets-demo"
mkdir -p "$(dirname "$out")"

xvfb_pid=""
demo_pid=""
stop_all() {
  if [ -n "$demo_pid" ]; then kill "$demo_pid" 2>/dev/null || true; wait "$demo_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  demo_pid=""
  xvfb_pid=""
}
trap stop_all EXIT

# Starts a private virtual screen and the demo on it; the window id lands in
# $win. Other sessions on this machine run virtual screens too, so the
# display number is picked at random away from the usual ones, and a start
# that fails is retried on another number.
start_demo() {
  local n
  n=$((300 + RANDOM % 600))
  [ -e "/tmp/.X$n-lock" ] && return 1
  Xvfb ":$n" -screen 0 640x480x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
  done
  xdpyinfo >/dev/null 2>&1 || return 1

  "$demo" 60 &
  demo_pid=$!
  win=""
  for _ in $(seq 1 100); do
    win="$(xdotool search --name 'Glowmoth widgets' 2>/dev/null | head -n1 || true)"
    [ -n "$win" ] && return 0
    kill -0 "$demo_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

started=0
for attempt in 1 2 3 4 5; do
  if start_demo; then
    started=1
    break
  fi
  echo "virtual screen attempt $attempt failed, retrying" >&2
  stop_all
done
[ "$started" = 1 ] || { echo "could not start the demo on a virtual screen" >&2; exit 1; }

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
# Rest the pointer away from the controls.
xdotool mousemove 600 20
sleep 0.5

import -window root "$out"

# Escape ends the demo through the application's own loop.
xdotool keydown Escape; sleep 0.3; xdotool keyup Escape
for _ in $(seq 1 50); do
  kill -0 "$demo_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$demo_pid" 2>/dev/null; then
  echo "the demo did not end on Escape" >&2
  exit 1
fi
wait "$demo_pid" || { echo "the demo exited with an error" >&2; exit 1; }
demo_pid=""

echo "screenshot: $out"
