#!/usr/bin/env bash
# Takes the screenshots named in the programs' AppStream metadata from the
# programs themselves: each one is started from the release build on a
# virtual X screen and its window grabbed once it has drawn, into
# packaging/screenshots/. Run it again when a window changes, and publish the
# pictures at the address the metadata names (PT_SCREENSHOT_BASE_URL).
set -euo pipefail
cd "$(dirname "$0")/.."
out=packaging/screenshots

if [ "${1:-}" = --grab ]; then
  # On the virtual screen: start, wait for the window, let it draw, press
  # the button that shows what the program is for (Gridorm's "绘制表格",
  # Glyphant's "无影文字", at their places in the window), grab.
  for entry in rotaskiv:Rotaskiv2.0: gridorm:Gridorm2.0:803,13 glyphant:Glyphant2.0:107,342; do
    IFS=: read -r program caption click <<<"$entry"
    "build/release/bin/$program" &
    pid=$!
    window=""
    for _ in $(seq 100); do
      window=$(xwininfo -root -tree | awk -v c="\"$caption\":" '$2 == c { print $1; exit }')
      [ -n "$window" ] && break
      sleep 0.1
    done
    [ -n "$window" ] || { echo "no window captioned $caption" >&2; exit 1; }
    sleep 2
    if [ -n "$click" ]; then
      xdotool mousemove --window "$window" "${click%,*}" "${click#*,}" click 1 mousemove 0 0
      sleep 2
    fi
    import -window "$window" "png:$out/$program.png"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo "$out/$program.png: $(identify -format '%w x %h' "$out/$program.png")"
  done
  exit 0
fi

bash scripts/install-deps.sh x11-utils xdotool imagemagick
cmake --preset release >/dev/null
cmake --build --preset release
mkdir -p "$out"
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
XDG_RUNTIME_DIR=$runtime LANG=C.UTF-8 xvfb-run -a -s "-screen 0 1920x1080x24" bash "$0" --grab
