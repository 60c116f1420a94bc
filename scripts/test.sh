#!/usr/bin/env bash
# Installs what is needed, builds the test configuration (AddressSanitizer and
# UndefinedBehaviorSanitizer, warnings as errors) and runs the whole suite
# headless.
set -euo pipefail
cd "$(dirname "$0")/.."
# Beside the programs' own packages, a Wayland desktop for the command-line
# tests: sway without a screen, PipeWire, the desktop portal with its wlroots
# (screenshots, through grim) and GTK (access) backends, wl-clipboard, and
# Qt's Wayland plugin.
bash scripts/install-deps.sh sway pipewire xdg-desktop-portal xdg-desktop-portal-wlr \
  xdg-desktop-portal-gtk grim wl-clipboard qt6-wayland
cmake --preset test >/dev/null
cmake --build --preset test
ctest --preset test
