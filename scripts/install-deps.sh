#!/usr/bin/env bash
# Installs every Debian 12 package the three programs, their tests and the
# screenshots need, and the renderer of the icons, together with any further
# packages named as arguments (the other scripts' own tools). Safe to run
# again: only what is missing is installed.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-image-formats-plugins libgl-dev
  libgif-dev libhwy-dev libzstd-dev
  libxcb1-dev  # the clipboard keeper sees an X server that has gone away
  libxcb-shm0-dev  # Rotaskiv reads the screens of an X11 desktop through shared memory
  libjpeg62-turbo-dev  # the loader decodes a JPEG without its end marker to see it is whole
  # Windows metafiles: libwmf plays WMF onto Qt's painter, libemf2svg turns
  # EMF into SVG that Qt SVG draws; libwmf measures text with the URW fonts
  # (fonts-urw-base35).
  libwmf-dev libemf2svg-dev qt6-svg-dev
  fonts-dejavu-core fonts-noto-cjk qt6-translations-l10n
  # A symbol-encoded face for Glyphant's tests of letters a face lacks.
  fonts-urw-base35
  xvfb xauth
  x11-xserver-utils  # xrandr: the screen-grab test lays out two monitors on its own Xvfb
  dbus-daemon
  librsvg2-bin
  # Glyphant's printing: libcups2-dev hands a finished job to the queue;
  # poppler-utils rasterises a printed PDF sheet in its test.
  libcups2-dev poppler-utils
  "$@"
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
