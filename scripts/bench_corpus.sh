# Sourced by the benchmark scripts that compare with compress(1), with the arguments
# NAME TARGET [BUILD_DIR]: builds TARGET and make_corpus in $build (BUILD_DIR, default
# build/native-release, configured with the preset native-release when it is not yet), and makes
# the corpus ($corpus, about 150 MB) and its compress(1) copies ($compressed) once. Needs $root;
# sets $build, $corpus, $compressed and $work, a temporary folder removed at exit, and defines
# best_rate.
bench=$1
build=${3:-$root/build/native-release}
corpus=$root/build/corpus
compressed=$root/build/corpus-Z
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
log=$work/log

if ! command -v compress >/dev/null; then
    echo "$bench: 'compress' is missing (apt-get install ncompress)" >&2
    exit 1
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
    (cd "$root" && cmake --preset native-release -B "$build") >"$log" 2>&1 || { cat "$log"; exit 1; }
fi
cmake --build "$build" --target make_corpus "$2" >"$log" 2>&1 || { cat "$log"; exit 1; }

# The markers sit beside the folders, so that the corpus holds only its own files.
if [ ! -f "$corpus.complete" ]; then
    rm -rf "$corpus" "$compressed" "$compressed.complete"
    "$build/bench/make_corpus" "$corpus"
    touch "$corpus.complete"
fi
if [ ! -f "$compressed.complete" ]; then
    rm -rf "$compressed"
    (cd "$corpus" && find . -type f | sort) | while read -r file; do
        mkdir -p "$compressed/$(dirname "$file")"
        # compress exits with 2 when a file does not shrink; the output is written all the same.
        compress -c "$corpus/$file" >"$compressed/$file.Z" || [ $? -eq 2 ]
    done
    touch "$compressed.complete"
fi

# MB per CPU second (user + system) of the best of three runs of the given command, for
# plain_bytes bytes of output.
best_rate() {
    local best="" seconds TIMEFORMAT='%U %S'
    for _ in 1 2 3; do
        seconds=$({ time ("$@"); } 2>&1 | awk '{ print $1 + $2 }')
        best=$(awk -v a="$seconds" -v b="$best" 'BEGIN { print (b == "" || a < b) ? a : b }')
    done
    awk -v n="$plain_bytes" -v s="$best" 'BEGIN { printf "%.1f", n / s / 1e6 }'
}
