#!/usr/bin/env bash
# LZW decoding throughput of our decoder against `uncompress` (ncompress) on the same corpus.
# The corpus (build/corpus, about 150 MB) and its compress(1) copies (build/corpus-Z) are made
# once. `uncompress -c` decodes every .Z file; our decoder decodes the same files cut into
# blocks of 65279 bytes, encoded by our encoder (bench/lzw_bench). Both are timed in CPU time
# (user + system), best of three, so that other work on the machine disturbs them alike.
#
# usage: scripts/bench_lzw.sh [BUILD_DIR]   (default build/native-release, preset native-release)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/bench_corpus.sh" bench_lzw lzw_bench "${1:-}"

plain_bytes=$(find "$corpus" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
z_bytes=$(find "$compressed" -type f -name '*.Z' -printf '%s\n' | awk '{ s += $1 } END { print s }')
mapfile -t z_files < <(find "$compressed" -type f -name '*.Z' | sort)

# One pass of uncompress over every file, output discarded. ncompress's uncompress
# is `compress -d` (Debian's /usr/bin/uncompress is gzip's wrapper, so it is not called by name).
uncompress_pass() {
    for f in "${z_files[@]}"; do compress -d -c <"$f"; done >/dev/null
}
uncompress_rate=$(best_rate uncompress_pass)

# Our decoder: the best of three repetitions (bytes per CPU second) and our compression ratio.
ours=$(PATCHER_CORPUS=$corpus "$build/bench/lzw_bench" --benchmark_filter='BM_LzwDecode$' \
    --benchmark_repetitions=3 --benchmark_format=csv 2>/dev/null |
    awk -F, '$1 == "\"BM_LzwDecode\"" { if ($6 > best) best = $6; ratio = $NF }
             END { printf "%.1f %.3f", best / 1e6, ratio }')
read -r our_rate our_ratio <<<"$ours"

echo "corpus: $plain_bytes bytes in ${#z_files[@]} files ($corpus)"
echo "our decoder:        $our_rate MB/s (CPU time)"
echo "uncompress:         $uncompress_rate MB/s (CPU time)"
awk -v a="$our_rate" -v b="$uncompress_rate" 'BEGIN { printf "throughput ratio:   %.2f\n", a / b }'
echo "compression ratio:  ours $our_ratio (blocks of 65279 bytes)," \
    "compress $(awk -v n="$plain_bytes" -v z="$z_bytes" 'BEGIN { printf "%.3f", n / z }')"
