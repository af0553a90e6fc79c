#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", folder build-fuzz/) and runs each of them for
# a bounded time, default 30 seconds:
#   ./fuzz/run.sh [SECONDS] [TARGET...]
# Each run starts from the seeds in fuzz/corpus/<target>/ and keeps what it learns in
# build-fuzz/corpus/<target>/; its output goes to build-fuzz/fuzz-logs/<target>.log. A crash
# or undefined behaviour stops that run and leaves the input in build-fuzz/findings/. The
# status is 0 only when no target found anything.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(hex_file_fuzz dataflash_fuzz device_profile_fuzz command_line_fuzz
                               reset_fuzz)

[ -f build-fuzz/CMakeCache.txt ] || cmake --preset fuzz >&2
cmake --build --preset fuzz >&2

mkdir -p build-fuzz/fuzz-logs build-fuzz/findings
# The file targets write each input to a file in TMPDIR; a run that ends at its time limit
# may leave it behind, so it lives in a folder of its own.
tmp="$PWD/build-fuzz/tmp"
rm -rf "$tmp" && mkdir -p "$tmp"
passed=0
failed=0
for target in "${targets[@]}"; do
    mkdir -p "build-fuzz/corpus/$target"
    log="build-fuzz/fuzz-logs/$target.log"
    if TMPDIR="$tmp" ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" \
        "build-fuzz/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=4096 -print_final_stats=1 -artifact_prefix="build-fuzz/findings/$target-" \
        "build-fuzz/corpus/$target" "fuzz/corpus/$target" >"$log" 2>&1; then
        passed=$((passed + 1))
        runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
        echo "fuzz $target: ${runs:-?} inputs in ${seconds} s, nothing found"
    else
        failed=$((failed + 1))
        echo "fuzz $target: FOUND A FAULT, see $log and build-fuzz/findings/" >&2
        grep -m 3 -E 'ERROR|runtime error|SUMMARY' "$log" >&2 || true
    fi
done
rm -rf "$tmp"
echo "fuzz: $passed passed, $failed failed"
((failed == 0))
