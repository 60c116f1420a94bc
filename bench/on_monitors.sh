#!/bin/sh
# Runs a command on an X server of its own (Xvfb, no window manager) whose
# desktop is COUNT RandR monitors of WIDTHxHEIGHT side by side, as a desktop
# of several screens looks to Qt:
#   bench/on_monitors.sh 3840x2160 2 build/bench/bin/bench_windows open
set -eu
size=$1
count=$2
shift 2
width=${size%x*}
height=${size#*x}
dir=$(mktemp -d)
trap 'kill "$server" 2>/dev/null; rm -rf "$dir"' EXIT
Xvfb -displayfd 3 -screen 0 "$((width * count))x${height}x24" -nolisten tcp -noreset \
  3>"$dir/display" 2>/dev/null &
server=$!
for _ in $(seq 100); do
  grep -q . "$dir/display" 2>/dev/null && break
  sleep 0.1
done
DISPLAY=:$(cat "$dir/display")
export DISPLAY
if [ "$count" -gt 1 ]; then
  # Millimetres for about 96 dots per inch, so that Qt scales nothing.
  mmw=$((width * 254 / 960))
  mmh=$((height * 254 / 960))
  i=0
  while [ "$i" -lt "$count" ]; do
    output=none
    [ "$i" -eq 0 ] && output=screen
    xrandr --setmonitor "bench$i" "$width/${mmw}x$height/$mmh+$((i * width))+0" "$output"
    i=$((i + 1))
  done
fi
"$@"
