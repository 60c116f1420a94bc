#!/bin/bash
# A Wayland desktop of the tests' own, in the runtime folder $1: sway without
# a screen (its headless backend, drawn by pixman) with one 1280 x 800
# output, PipeWire, and the desktop portal (the wlroots backend takes
# screenshots, the GTK one answers access questions) on a session bus of its
# own, which starts the portals. Prints "ready WAYLAND_DISPLAY" once a screenshot can be asked for, and
# ends them all when it is ended.
set -u
dir=$1
export XDG_RUNTIME_DIR=$dir HOME=$dir XDG_CONFIG_HOME=$dir/config XDG_CURRENT_DESKTOP=sway:GNOME \
  XDG_SESSION_TYPE=wayland DBUS_SESSION_BUS_ADDRESS=unix:path=$dir/bus
trap 'kill $(jobs -p) 2>/dev/null' EXIT
trap 'exit 0' TERM INT
printf 'output HEADLESS-1 resolution 1280x800 position 0 0 scale 1\n' >"$dir/sway.conf"
WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
  sway -c "$dir/sway.conf" >"$dir/sway.log" 2>&1 &
for _ in $(seq 100); do
  socket=$(cd "$dir" && ls wayland-* 2>/dev/null | grep -v lock | head -n 1)
  [ -n "$socket" ] && break
  sleep 0.1
done
[ -n "${socket:-}" ] || exit 1
export WAYLAND_DISPLAY=$socket
# The bus starts the portals when they are first asked for, with this
# environment: the display and the desktop's name must be in it by then.
dbus-daemon --session --nofork --address="$DBUS_SESSION_BUS_ADDRESS" >"$dir/bus.log" 2>&1 &
pipewire >"$dir/pipewire.log" 2>&1 &
for _ in $(seq 100); do
  [ -S "$dir/pipewire-0" ] && [ -S "$dir/bus" ] && break
  sleep 0.1
done
for _ in $(seq 300); do
  if gdbus introspect --session --dest org.freedesktop.portal.Desktop \
    --object-path /org/freedesktop/portal/desktop 2>/dev/null | grep -q portal.Screenshot; then
    echo "ready $socket"
    wait
    exit 0
  fi
  sleep 0.1
done
exit 1
