#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer and runs each of them for
# SECONDS seconds, each in one process on one core, FUZZ_PARALLEL of them at
# a time (default 1):
#   fuzz/run.sh SECONDS [TARGET...]
# Inputs found on the way go to build-fuzz/corpus/TARGET (a scratch folder;
# the checked-in seeds under fuzz/corpus and fuzz/found stay as they are), crash and timeout
# files to build-fuzz/artifacts/. Each target's summary line gives its
# executions, executions a second, coverage (cov, edges), features (ft) and
# corpus. Exits non-zero when a target fails. To keep a finding: copy it to
# tests/fixtures/malformed/, add its line to the MANIFEST there, and fix the
# cause.
#
#   fuzz/run.sh --merge [TARGET...]
# After a run: the inputs of the scratch folder that reach features the
# checked-in seeds do not (libFuzzer's -merge=1), copied to
# build-fuzz/new-seeds/TARGET for review; the useful ones go to fuzz/found
# (fuzz/corpus holds the hand-made seeds, which the stress tests also walk).
#
# The _large targets read the seeds of the target they are built from.
# Environment: BUILD_DIR (default build-fuzz), CXX_FUZZ (default clang++-14),
# FUZZ_JOBS (build parallelism, default 2), FUZZ_PARALLEL.
set -euo pipefail

usage() {
    echo "usage: fuzz/run.sh SECONDS [TARGET...] | fuzz/run.sh --merge [TARGET...]" >&2
    exit 2
}
[[ $# -ge 1 ]] || usage
mode=$1
shift
[[ "$mode" == --merge || "$mode" =~ ^[0-9]+$ ]] || usage

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-fuzz}
cxx=${CXX_FUZZ:-clang++-14}
parallel=${FUZZ_PARALLEL:-1}
targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
    targets=(fuzz_container fuzz_render fuzz_roundtrip fuzz_differential fuzz_render_large
             fuzz_differential_large)
fi

mkdir -p "$build"
cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER="$cxx" >"$build/configure.log"
cmake --build "$build" -j "${FUZZ_JOBS:-2}" --target "${targets[@]}"

# the hand-made seeds, and those found by earlier runs
seeds() { echo "$root/fuzz/corpus/${1%_large}" "$root/fuzz/found/${1%_large}"; }

if [[ "$mode" == --merge ]]; then
    for target in "${targets[@]}"; do
        # the seeds are copied, so that what the merge adds is what is new
        work="$build/merge/$target"
        rm -rf "$work" "$build/new-seeds/$target"
        mkdir -p "$work" "$build/new-seeds/$target"
        for folder in $(seeds "$target"); do cp "$folder"/* "$work/"; done
        before=$(ls "$work" | sort)
        "$build/$target" -merge=1 -rss_limit_mb=2048 -malloc_limit_mb=32 -timeout=10 \
            "$work" "$build/corpus/$target" 2>"$build/$target.merge.log"
        comm -13 <(echo "$before") <(ls "$work" | sort) | while read -r name; do
            cp "$work/$name" "$build/new-seeds/$target/"
        done
        echo "$target: $(ls "$build/corpus/$target" | wc -l) inputs found," \
            "$(ls "$build/new-seeds/$target" | wc -l) reach new features: $build/new-seeds/$target"
    done
    exit 0
fi
seconds=$mode

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
run() {
    local target=$1
    local scratch="$build/corpus/$target"
    mkdir -p "$scratch"
    # the first folder takes new inputs; the checked-in seeds are only read
    if ! "$build/$target" \
        -rss_limit_mb=2048 -malloc_limit_mb=32 -timeout=10 -max_len=8388608 \
        -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" \
        "$scratch" $(seeds "$target") "$root/tests/fixtures/malformed" \
        2>"$build/$target.log"; then
        echo "$target FAILED: see $build/$target.log and $build/artifacts/" >&2
        tail -n 30 "$build/$target.log" >&2
        return 1
    fi
    local done units rate
    done=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$build/$target.log" | tail -n 1)
    units=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$target.log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$build/$target.log")
    echo "$target: $seconds s, $units executions, $rate a second;${done#*DONE}"
}

status=0
pids=()
wait_one() {
    if ! wait "${pids[0]}"; then status=1; fi
    pids=("${pids[@]:1}")
}
for target in "${targets[@]}"; do
    [[ ${#pids[@]} -lt $parallel ]] || wait_one
    echo "== $target: $seconds s"
    run "$target" &
    pids+=($!)
done
while [[ ${#pids[@]} -gt 0 ]]; do wait_one; done
exit $status
