#!/usr/bin/env bash
# Builds the take-reader fuzzer with clang (ASan + UBSan), writes its seed corpus and runs it.
# Exits non-zero on any crash, leak, oversized allocation, timeout or sanitizer report.
#   FUZZ_SECONDS  run time in seconds (default 60)
#   BUILD_DIR     build folder, relative to the repository root unless absolute (default build-fuzz)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${BUILD_DIR:-build-fuzz}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
seconds="${FUZZ_SECONDS:-60}"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTABRIX_FUZZ=ON -DTABRIX_BUILD_APP=OFF -DTABRIX_BUILD_BENCH=OFF
ninja -C "$build" -j2 bwf_fuzz bwf_fuzz_seeds

seeds="$build/corpus"
work="$build/corpus-work"   # libFuzzer adds what it finds here; the seeds stay as built
artifacts="$build/fuzz-artifacts"
rm -rf "$seeds" "$artifacts"
mkdir -p "$seeds" "$work" "$artifacts"
"$build/tools/fuzz/bwf_fuzz_seeds" "$seeds"

# The target writes each input to a file in the temporary folder; libFuzzer may end without
# running exit handlers, so keep those files inside the build folder.
export TMPDIR="$build/fuzz-tmp"
rm -rf "$TMPDIR"
mkdir -p "$TMPDIR"

# ASan's default 256 MB quarantine of freed blocks would by itself approach the RSS limit.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=32:detect_leaks=1"

log="$build/fuzz.log"
status=0
"$build/tools/fuzz/bwf_fuzz" -max_total_time="$seconds" -rss_limit_mb=256 -malloc_limit_mb=64 \
    -timeout=10 -print_final_stats=1 -artifact_prefix="$artifacts/" "$work" "$seeds" \
    2>&1 | tee "$log" || status=$?

# A recoverable report would not change the exit status, so the log is checked as well.
if grep -qE 'runtime error:|ERROR: (AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|invariant broken' "$log"; then
    if [ "$status" -eq 0 ]; then status=1; fi
fi
if [ "$status" -ne 0 ]; then
    echo "run-fuzz: failure (exit $status); inputs in $artifacts, log in $log" >&2
    exit "$status"
fi
echo "run-fuzz: no findings in ${seconds}s"
