#!/usr/bin/env bash
# Installs what is needed, builds the programs in release mode and starts one
# of them (Rotaskiv unless another is named).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
exec "build/release/bin/${1:-rotaskiv}"
