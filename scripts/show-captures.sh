#!/usr/bin/env bash
# Builds the show, plays it in a window on a virtual X screen and photographs
# that screen at a few moments, to see the right picture centred on black.
#
#   scripts/show-captures.sh [OUT_DIR] [SECONDS ...]
#
# OUT_DIR defaults to build/captures; the moments default to 10 30 58 120 170
# seconds after start. Each capture is compared with the picture the script
# shows at that moment and the result is printed (the show's clock starts a
# moment after the process, so stay clear of a picture change). BUILD_DIR
# picks the build folder (default build/release, as `make build`). The voice
# is silent unless GLOWMOTH_SPEECH says otherwise.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/captures}
shift || true
moments=("$@")
[ ${#moments[@]} -gt 0 ] || moments=(10 30 58 120 170)
build=${BUILD_DIR:-$root/build/release}
case $build in /*) ;; *) build=$root/$build ;; esac
case $out in /*) ;; *) out=$PWD/$out ;; esac

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DGLOWMOTH_TESTS=OFF >/dev/null
cmake --build "$build" -j 2
show=$build/bin/glowmoth
[ -x "$show" ] || { echo "$0: $show was not built" >&2; exit 1; }

# When each picture comes on, in milliseconds of show time (pictures 1 to 19).
starts=(0 19800 28700 32700 39300 50000 56300 60900 71300 81700 93100 100400
        105600 118900 128000 134000 140200 150900 165900)
picture_at() {
  local ms=$(( $1 * 1000 )) n=0 i
  for i in "${!starts[@]}"; do
    [ "$ms" -ge "${starts[$i]}" ] && n=$(( i + 1 ))
  done
  echo "$n"
}

# A display number nobody uses.
display=
for d in $(seq 91 140); do
  if [ ! -e "/tmp/.X$d-lock" ] && [ ! -e "/tmp/.X11-unix/X$d" ]; then display=$d; break; fi
done
[ -n "$display" ] || { echo "$0: no free X display number" >&2; exit 1; }

mkdir -p "$out"
rundir=$(mktemp -d "${TMPDIR:-/tmp}/glowmoth-captures.XXXXXX")
xvfb_pid=
show_pid=
cleanup() {
  if [ -n "$show_pid" ]; then kill "$show_pid" 2>/dev/null || true; wait "$show_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$rundir"
}
trap cleanup EXIT

Xvfb ":$display" -screen 0 640x480x24 -nolisten tcp >"$rundir/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.1
done
[ -e "/tmp/.X11-unix/X$display" ] || { echo "$0: Xvfb did not start" >&2; cat "$rundir/xvfb.log" >&2; exit 1; }

# An empty working folder: the show must find its pictures in its own
# executable, not in a glowmoth.dat or data/ folder lying around.
(cd "$rundir" && exec env DISPLAY=":$display" GLOWMOTH_SPEECH="${GLOWMOTH_SPEECH:-silent}" \
  "$show" w) >"$rundir/show.log" 2>&1 &
show_pid=$!
started=$(date +%s%N)

status=0
for s in "${moments[@]}"; do
  now=$(date +%s%N)
  wait_ns=$(( started + s * 1000000000 - now ))
  if [ "$wait_ns" -gt 0 ]; then
    sleep "$(printf '%d.%09d' $(( wait_ns / 1000000000 )) $(( wait_ns % 1000000000 )))"
  fi
  if ! kill -0 "$show_pid" 2>/dev/null; then
    wait "$show_pid" && rc=0 || rc=$?
    show_pid=
    echo "$0: the show ended (status $rc) before ${s} s" >&2
    cat "$rundir/show.log" >&2
    exit 1
  fi
  shot=$out/capture-${s}s.png
  import -display ":$display" -window root "$shot"
  n=$(picture_at "$s")
  expected=$build/content/data/2t$n.png
  verdict="saved"
  if [ -f "$expected" ]; then
    # The pictures are full-screen canvases: the capture should be the picture
    # itself, pixel for pixel, apart from rounding in the screen's format.
    differing=$(compare -metric AE -fuzz 2% "$shot" "$expected" null: 2>&1 || true)
    if [ "$differing" = "0" ]; then
      verdict="shows picture $n"
    else
      verdict="expected picture $n, $differing pixels differ"
      status=1
    fi
  fi
  echo "${s} s: $shot: $verdict"
done
exit "$status"
