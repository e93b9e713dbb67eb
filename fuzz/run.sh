#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer and runs each of them for
# SECONDS seconds, one after the other, each in one process on one core:
#   fuzz/run.sh SECONDS [TARGET...]
# Inputs found on the way go to build-fuzz/corpus/TARGET (a scratch folder;
# the checked-in seeds under fuzz/corpus stay as they are), crash and timeout
# files to build-fuzz/artifacts/. Exits non-zero when a target fails. To keep
# a finding: copy it to tests/fixtures/malformed/, add its line to the
# MANIFEST there, and fix the cause.
#
# Environment: BUILD_DIR (default build-fuzz), CXX_FUZZ (default clang++-14),
# FUZZ_JOBS (build parallelism, default 2).
set -euo pipefail

if [[ $# -lt 1 || ! "$1" =~ ^[0-9]+$ ]]; then
    echo "usage: fuzz/run.sh SECONDS [TARGET...]" >&2
    exit 2
fi
seconds=$1
shift

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-fuzz}
cxx=${CXX_FUZZ:-clang++-14}
targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
    targets=(fuzz_container fuzz_render fuzz_roundtrip fuzz_differential)
fi

mkdir -p "$build"
cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER="$cxx" >"$build/configure.log"
cmake --build "$build" -j "${FUZZ_JOBS:-2}" --target "${targets[@]}"

# Limits, each with its reason:
#   -rss_limit_mb=2048   a file, one clipped 4000 x 4000 image and the sanitizers'
#                        shadow memory fit well below it; more means a leak or
#                        an allocation that grows with a size field
#   -malloc_limit_mb=32  no single allocation may exceed the largest input plus
#                        one clipped image (8 MiB + 16 MB)
#   -timeout=10          every loop is bounded by the file or the clipped image,
#                        so one input takes milliseconds; 10 s means a hang
#   -max_len=8388608     8 MiB: room for maximal runs, 255 entries of 65535
#                        bytes and a palette loop that runs to the file's end
mkdir -p "$build/artifacts"
status=0
for target in "${targets[@]}"; do
    scratch="$build/corpus/$target"
    mkdir -p "$scratch"
    echo "== $target: $seconds s"
    # the first folder takes new inputs; the checked-in seeds are only read
    if ! "$build/$target" \
        -rss_limit_mb=2048 -malloc_limit_mb=32 -timeout=10 -max_len=8388608 \
        -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" \
        "$scratch" "$root/fuzz/corpus/$target" "$root/tests/fixtures/malformed" \
        2>"$build/$target.log"; then
        echo "$target FAILED: see $build/$target.log and $build/artifacts/" >&2
        tail -n 30 "$build/$target.log" >&2
        status=1
        continue
    fi
    grep -E '^#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::average_exec_per_sec' "$build/$target.log" || true
done
exit $status
