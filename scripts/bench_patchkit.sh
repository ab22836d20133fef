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

[[ -f $build/build.ninja ]] || cmake --preset native-release -B "$build" >/dev/null
cmake --build "$build" --target patchkit make_corpus >/dev/null
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

# Side by side: rounds of both programs in turn (so that a change in the machine's load hits
# both alike), the median of all runs of each. hyperfine when there is one (bootstrap.sh
# installs it), else a shell loop timing batches of runs.
rounds=10 runs=50
if command -v hyperfine >/dev/null; then
    for ((r = 0; r < rounds; ++r)); do
        hyperfine -N --warmup 5 --runs "$runs" --export-json "$work/round$r.json" \
            "$work/trivial" "$patchkit list $work/small.cbf" >/dev/null 2>&1
    done
    read -r trivial_us list_us < <(python3 - "$work" <<'EOF'
import glob, json, statistics, sys
times = [[], []]
for name in glob.glob(sys.argv[1] + "/round*.json"):
    for i, result in enumerate(json.load(open(name))["results"]):
        times[i] += result["times"]
print(*("%.0f" % (statistics.median(t) * 1e6) for t in times))
EOF
    )
else
    batch_us() {  # mean microseconds of one run of "$@" over a batch
        local start end
        start=$(date +%s%N)
        for ((i = 0; i < runs; ++i)); do "$@" >/dev/null; done
        end=$(date +%s%N)
        echo $(((end - start) / runs / 1000))
    }
    trivial_us=0 list_us=0
    for ((r = 0; r < rounds; ++r)); do
        trivial_us=$((trivial_us + $(batch_us "$work/trivial") / rounds))
        list_us=$((list_us + $(batch_us "$patchkit" list "$work/small.cbf") / rounds))
    done
fi
printf 'start-up: patchkit list %s us, trivial C++ program %s us, ratio %s (goal <= 1.2); %d shared libraries\n' \
    "$list_us" "$trivial_us" "$(python3 -c "print('%.2f' % ($list_us / $trivial_us))")" \
    "$(ldd "$patchkit" | grep -c '=>')"

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
