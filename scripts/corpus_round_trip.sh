#!/usr/bin/env bash
# The round trip on the benchmark corpus for every storage method and both directory versions:
# pack -> list (one line per file, names with "\\") -> extract (identical bytes) -> verify.
# Usage: scripts/corpus_round_trip.sh [BUILD_DIR]   (default build/native-release)
# The corpus folder is $PATCHER_CORPUS (default build/corpus); it is generated when missing.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/native-release}
corpus=${PATCHER_CORPUS:-build/corpus}

if [[ ! -x $build/tools/patchkit || ! -x $build/bench/make_corpus ]]; then
    [[ -f $build/build.ninja ]] || cmake --preset native-release -B "$build" >/dev/null
    cmake --build "$build" --target patchkit make_corpus >/dev/null || exit 1
fi
patchkit=$build/tools/patchkit
[[ -d $corpus ]] || "$build/bench/make_corpus" "$corpus" || exit 1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The names list must show: every file's relative path with "\\" between folders, sorted.
(cd "$corpus" && find . -type f | sed 's|^\./||; s|/|\\|g' | LC_ALL=C sort) >"$work/expected"

failed=0
for method in auto store lzw scramble; do
    for version in 0 1; do
        archive=$work/corpus.cbf
        rm -rf "$work/out" "$archive"
        result=ok
        if ! "$patchkit" pack "$corpus" "$archive" --method "$method" --dir-version "$version" >/dev/null; then
            result="pack failed"
        elif ! "$patchkit" list "$archive" | cut -f1 | cmp -s - "$work/expected"; then
            result="list differs"
        elif ! "$patchkit" extract "$archive" "$work/out" >/dev/null; then
            result="extract failed"
        elif ! diff -r -q "$corpus" "$work/out" >/dev/null; then
            result="extracted bytes differ"
        elif ! summary=$("$patchkit" verify "$archive"); then
            result="verify failed"
        fi
        [[ $result == ok ]] || failed=1
        printf '%-8s version %d: %s%s\n' "$method" "$version" "$result" \
            "$([[ $result == ok ]] && echo " ($summary)")"
    done
done
exit $failed
