#!/usr/bin/env bash
# Installs what is needed, builds the test configuration (AddressSanitizer and
# UndefinedBehaviorSanitizer, warnings as errors) and runs the whole suite
# headless.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset test >/dev/null
cmake --build --preset test
ctest --preset test
