#!/usr/bin/env bash
# Figures of patchkit on the native-release build: the start-up of `patchkit list` on a small
# archive against a trivial C++ program (goal: within 1.2 times), the compression ratio of
# `pack --method auto` (goal: at least 1.40) and of `--method lzw` on the benchmark corpus, and
# the throughput of `verify` on the packed corpus (goal: at least 300 MB/s).
# Usage: scripts/bench_patchkit.sh [BUILD_DIR]   (default build/native-release)
# The corpus folder is $PATCHER_CORPUS (default build/corpus); it is generated when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/native-release}
corpus=${PATCHER_CORPUS:-build/corpus}

if [[ ! -x $build/tools/patchkit || ! -x $build/bench/make_corpus ]]; then
    [[ -f $build/build.ninja ]] || cmake --preset native-release -B "$build" >/dev/null
    cmake --build "$build" --target patchkit make_corpus >/dev/null
fi
patchkit=$build/tools/patchkit
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# ---- Start-up: patchkit list of a small archive against a trivial C++ program ----
mkdir -p "$work/small/Icons"
printf 'installer data\n' >"$work/small/patcher.txt"
printf 'icon bytes' >"$work/small/Icons/ft_dir.tga"
"$patchkit" pack "$work/small" "$work/small.cbf" >/dev/null
printf '#include <iostream>\nint main() { std::cout << "hello\\n"; }\n' >"$work/trivial.cpp"
c++ -O2 -o "$work/trivial" "$work/trivial.cpp"

# Wall time of one run in microseconds: the median with hyperfine (robust on a busy machine),
# else the mean of a loop.
time_us() {
    local runs=1000 start end
    if command -v hyperfine >/dev/null; then
        hyperfine -N --warmup 100 --runs "$runs" --export-json "$work/h.json" "$*" >/dev/null 2>&1
        python3 -c 'import json,sys; print("%.1f" % (json.load(open(sys.argv[1]))["results"][0]["median"] * 1e6))' "$work/h.json"
    else
        for ((i = 0; i < 50; ++i)); do "$@" >/dev/null; done
        start=$(date +%s%N)
        for ((i = 0; i < runs; ++i)); do "$@" >/dev/null; done
        end=$(date +%s%N)
        echo $(((end - start) / runs / 1000))
    fi
}
list_us=$(time_us "$patchkit" list "$work/small.cbf")
trivial_us=$(time_us "$work/trivial")
printf 'start-up: patchkit list %s us, trivial C++ program %s us, ratio %s (goal <= 1.2)\n' \
    "$list_us" "$trivial_us" "$(python3 -c "print('%.2f' % ($list_us / $trivial_us))")"

# ---- The corpus: compression ratios and verify throughput ----
[[ -d $corpus ]] || "$build/bench/make_corpus" "$corpus"
corpus_bytes=$(find "$corpus" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
for method in auto lzw; do
    start=$(date +%s%N)
    "$patchkit" pack "$corpus" "$work/corpus-$method.cbf" --method "$method" >/dev/null
    end=$(date +%s%N)
    archive_bytes=$(stat -c %s "$work/corpus-$method.cbf")
    printf 'pack --method %-4s: %d bytes -> %d bytes, ratio %s, %s MB/s%s\n' "$method" \
        "$corpus_bytes" "$archive_bytes" \
        "$(python3 -c "print('%.3f' % ($corpus_bytes / $archive_bytes))")" \
        "$(python3 -c "print('%.1f' % ($corpus_bytes / (($end - $start) / 1e3)))")" \
        "$([[ $method == auto ]] && echo ' (goal >= 1.40)')"
done
"$patchkit" verify "$work/corpus-auto.cbf" >/dev/null # the archive now sits in the page cache
for run in 1 2 3; do
    printf 'verify run %d: %s\n' "$run" "$("$patchkit" verify "$work/corpus-auto.cbf")"
done
echo "(goal for verify: >= 300 MB/s)"
