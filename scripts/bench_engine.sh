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
source "$root/scripts/bench_corpus.sh" bench_engine engine_bench "${1:-}"

plain_bytes=$(find "$corpus" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
mapfile -t z_files < <(cd "$compressed" && find . -type f -name '*.Z' | sort)

# uncompress writing every file into an empty folder (ncompress's `compress -d`).
# Each pass writes into a new folder, so that no removal is timed.
uncompress_pass() {
    local game
    game=$(mktemp -d -p "$work")
    (cd "$compressed" && find . -type d) | (cd "$game" && xargs mkdir -p)
    for f in "${z_files[@]}"; do compress -d -c <"$compressed/$f" >"$game/${f%.Z}"; done
}
uncompress_rate=$(best_rate uncompress_pass)
rm -rf "${work:?}"/tmp.*

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
