#!/usr/bin/env bash
# Builds the store's libFuzzer targets with clang++ into BUILD_DIR and runs
# each for SECONDS: first over the regression inputs (crashes found earlier,
# which must pass now), then fuzzing from the seed corpus. New crash inputs
# land in fuzz/regressions/<target>/ (keep them there once fixed).
#   fuzz/run_fuzz.sh [BUILD_DIR] [SECONDS]     (defaults: build-fuzz 60)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
build=${1:-$top/build-fuzz}
seconds=${2:-60}

cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DQUILLERY_FUZZ=ON >"$build.configure.log" 2>&1 ||
    { cat "$build.configure.log"; exit 1; }
cmake --build "$build" --target fuzz_index fuzz_unescape

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
for target in index unescape; do
    bin="$build/fuzz/fuzz_$target"
    regressions="$here/regressions/$target"
    corpus="$build/corpus-$target"
    mkdir -p "$corpus" "$regressions"
    if compgen -G "$regressions/*" >/dev/null; then
        echo "== $target: regression inputs"
        "$bin" -runs=0 "$regressions"/*
    fi
    echo "== $target: fuzzing ${seconds}s"
    cp -n "$here/corpus/$target"/* "$corpus"/ 2>/dev/null || true
    log="$build/fuzz-$target.log"
    rc=0
    "$bin" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 -dict="$here/index.dict" \
        -artifact_prefix="$regressions/" -print_final_stats=1 "$corpus" >"$log" 2>&1 || rc=$?
    if [ "$rc" -ne 0 ]; then
        tail -n 80 "$log"
        echo "fuzz_$target failed; the input is in $regressions/" >&2
        exit "$rc"
    fi
    tail -n 12 "$log"
done
