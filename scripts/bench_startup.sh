#!/usr/bin/env bash
# The installer's start-up: from the moment this script starts the process to the wizard's first
# frame presented by the headless window, on the sample distribution with its sandbox (the
# language is in the version record, so no dialog comes first), beside the same moment of a
# trivial C++ program. Wall time, median of 21 runs each. Goal: the first frame within 100 ms.
#
# usage: scripts/bench_startup.sh [BUILD_DIR]   (default build/native-release, preset native-release)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/native-release}
[[ -f $build/build.ninja ]] || cmake --preset native-release >/dev/null
cmake --build "$build" --target first_frame trivial_start sample_dist -- --quiet |
    { grep -v "^ninja: no work to do" || true; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bash "$root/samples/make_sandbox.sh" "$build/samples/dist" "$work/sandbox" >/dev/null
export PATCHER_REGISTRY=$work/sandbox/registry.reg
# The installer finds its archives beside its program file.
cp -r "$build/samples/dist" "$work/dist"
cp "$build/bench/first_frame" "$build/bench/trivial_start" "$work/dist/"

# Milliseconds from the exec to the moment the program printed (its wall clock in ns).
median_ms() {  # program
    local runs=() started printed
    for _ in $(seq 21); do
        started=${EPOCHREALTIME/./}
        printed=$("$1")
        runs+=("$(( (printed / 1000 - started) ))")
    done
    printf '%s\n' "${runs[@]}" | sort -n | sed -n 11p | awk '{ printf "%.1f", $1 / 1000 }'
}

trivial=$(median_ms "$work/dist/trivial_start")
first=$(median_ms "$work/dist/first_frame")
echo "trivial C++ program, start to main:      $trivial ms"
echo "installer, start to the first frame:     $first ms (goal < 100 ms)"
awk -v a="$first" -v b="$trivial" 'BEGIN { printf "  ratio to the trivial program: %.1f\n", a / b }'
