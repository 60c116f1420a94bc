#!/usr/bin/env bash
# Builds one libFuzzer target (the fuzz preset: clang, AddressSanitizer,
# UBSan) and runs it for a number of seconds, one job:
#   bash scripts/fuzz.sh picture_loader 600
#   bash scripts/fuzz.sh metafile_loader 600                  # WMF and EMF seeds
#   bash scripts/fuzz.sh metafile_loader/wmf 600              # WMF seeds only (or /emf)
#   bash scripts/fuzz.sh excel_property_bag 600 -max_len=65536   # more libFuzzer flags
# The inputs it finds interesting collect in build/fuzz/corpus/<target> (the
# next run starts from them), the inputs that crash it in
# build/fuzz/findings/<target>/; a target/<kind> runs from that kind's seeds
# alone, in a corpus of its own. Rerun one with build/fuzz/bin/fuzz_<target> <file>.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$#" -lt 2 ]; then
  echo "usage: $0 picture_loader|metafile_loader[/wmf|/emf]|excel_property_bag <seconds> [libFuzzer flags...]" >&2
  exit 2
fi
target="${1#fuzz_}"
program="${target%%/*}"
seconds="$2"
shift 2

bash scripts/install-deps.sh clang-14 libclang-rt-14-dev

flock /tmp/pt-build.lock cmake --preset fuzz >/dev/null
# The lock keeps the build from running beside another one in this tree.
flock /tmp/pt-build.lock cmake --build --preset fuzz --target "fuzz_$program"

corpus="build/fuzz/corpus/$target"
findings="build/fuzz/findings/$target"
mkdir -p "$corpus" "$findings"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:intercept_tls_get_addr=0"
export LSAN_OPTIONS="suppressions=$PWD/tests/support/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Pictures up to our 1 GB limit are allowed, and a decode with its
# conversion may hold two of them: under libFuzzer's 2 GB default that
# would count as running out of memory.
exec "build/fuzz/bin/fuzz_$program" "$corpus" "build/fuzz/fuzz/seeds/$target" \
  -max_total_time="$seconds" -rss_limit_mb=4096 -artifact_prefix="$findings/" \
  -print_final_stats=1 "$@"
