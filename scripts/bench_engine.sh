#!/usr/bin/env bash
# The patch engine's throughput on the benchmark corpus (build/corpus, about 150 MB), applied
# into an empty game folder: the archive of stored members against a plain copy with 64 KiB
# reads and writes (goal: ratio at least 0.8), and the archive of LZW members against
# `uncompress` decoding the compress(1) copies of the same files into files (goal: at least 1.5).
# All figures are CPU time (user + system), best of three.
#
# usage: scripts/bench_engine.sh [BUILD_DIR]   (default build/native-release, preset native-release)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/native-release}
corpus=$root/build/corpus
compressed=$root/build/corpus-Z

if ! command -v compress >/dev/null; then
    echo "bench_engine: 'compress' is missing (apt-get install ncompress)" >&2
    exit 1
fi
log=$(mktemp)
out=$(mktemp -d)
trap 'rm -rf "$log" "$out"' EXIT
if [ ! -f "$build/CMakeCache.txt" ]; then
    (cd "$root" && cmake --preset native-release -B "$build") >"$log" 2>&1 || { cat "$log"; exit 1; }
fi
cmake --build "$build" --target make_corpus engine_bench >"$log" 2>&1 || { cat "$log"; exit 1; }

# The corpus and its compress(1) copies, made once, as scripts/bench_lzw.sh makes them.
if [ ! -f "$corpus.complete" ]; then
    rm -rf "$corpus" "$compressed" "$compressed.complete"
    "$build/bench/make_corpus" "$corpus"
    touch "$corpus.complete"
fi
if [ ! -f "$compressed.complete" ]; then
    rm -rf "$compressed"
    (cd "$corpus" && find . -type f | sort) | while read -r file; do
        mkdir -p "$compressed/$(dirname "$file")"
        compress -c "$corpus/$file" >"$compressed/$file.Z" || [ $? -eq 2 ]
    done
    touch "$compressed.complete"
fi
plain_bytes=$(find "$corpus" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
mapfile -t z_files < <(cd "$compressed" && find . -type f -name '*.Z' | sort)

# CPU seconds of uncompress writing every file into an empty folder (ncompress's `compress -d`).
uncompress_pass() {
    rm -rf "$out/game" && mkdir -p "$out/game"
    (cd "$compressed" && find . -type d) | (cd "$out/game" && xargs mkdir -p)
    local TIMEFORMAT='%U %S'
    { time (for f in "${z_files[@]}"; do compress -d -c <"$compressed/$f" >"$out/game/${f%.Z}"; done); } 2>&1 |
        awk '{ print $1 + $2 }'
}
best=""
for _ in 1 2 3; do
    seconds=$(uncompress_pass)
    best=$(awk -v a="$seconds" -v b="$best" 'BEGIN { print (b == "" || a < b) ? a : b }')
done
rm -rf "$out/game"
uncompress_rate=$(awk -v n="$plain_bytes" -v s="$best" 'BEGIN { printf "%.1f", n / s / 1e6 }')

# MB per CPU second of each benchmark, the best of three repetitions.
rates=$(PATCHER_CORPUS=$corpus "$build/bench/engine_bench" --benchmark_repetitions=3 \
    --benchmark_format=csv 2>/dev/null |
    awk -F, '$1 ~ /^"BM_/ && $1 !~ /_(mean|median|stddev|cv)"$/ {
                 name = $1; gsub(/"|\/.*/, "", name); if ($6 > best[name]) best[name] = $6 }
             END { printf "%.1f %.1f %.1f", best["BM_PlainCopy"] / 1e6, best["BM_EngineStored"] / 1e6, best["BM_EngineLzw"] / 1e6 }')
read -r copy_rate stored_rate lzw_rate <<<"$rates"

echo "corpus: $plain_bytes bytes in ${#z_files[@]} files ($corpus)"
echo "plain 64 KiB copy:      $copy_rate MB/s (CPU time)"
echo "engine, stored members: $stored_rate MB/s"
awk -v a="$stored_rate" -v b="$copy_rate" 'BEGIN { printf "  ratio to the copy:    %.2f (goal >= 0.8)\n", a / b }'
echo "uncompress into files:  $uncompress_rate MB/s"
echo "engine, LZW members:    $lzw_rate MB/s"
awk -v a="$lzw_rate" -v b="$uncompress_rate" 'BEGIN { printf "  ratio to uncompress:  %.2f (goal >= 1.5)\n", a / b }'
