#!/usr/bin/env bash
# Builds native (ASan/UBSan), Windows x86_64 and Windows i686, runs the native tests and then the
# x86_64 tests under Wine (one wineserver for the run, a throwaway prefix in the build tree),
# builds the fuzz targets and runs each over its seed corpus once, and prints one summary line
# per test program and fuzz target and a total. Exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
failed=0
# The formatting check (scripts/check_format.sh); PATCHER_CHECK_FORMAT=0 skips it while a
# change is still being shaped.
check_format=${PATCHER_CHECK_FORMAT:-1}

step() { printf '== %s\n' "$*"; }
build() {  # preset
    [[ -f build/$1/build.ninja ]] || cmake --preset "$1" >/dev/null || return 1
    # The build's own status: grep's, or that of a `|| true` after the pipe, would hide a failure.
    cmake --build "build/$1" -- --quiet 2>&1 | grep -v '^ninja: no work to do'
    return "${PIPESTATUS[0]}"
}
run_ctest() {  # preset [wrapper...]
    local preset=$1; shift
    rm -rf "build/$preset/results"
    "$@" ctest --test-dir "build/$preset" --output-on-failure --timeout 600 -j2 >"build/$preset/ctest.log" 2>&1
    local rc=$?
    if ((rc)); then cat "build/$preset/ctest.log"; fi
    return $rc
}
# One line per test program from its GoogleTest XML, then the totals of this preset.
summarise() {  # preset
    local xml tests failures disabled
    for xml in build/"$1"/results/*.xml; do
        [[ -f $xml ]] || continue
        read -r tests failures disabled < <(sed -n 's/.*<testsuites tests="\([0-9]*\)" failures="\([0-9]*\)" disabled="\([0-9]*\)".*/\1 \2 \3/p' "$xml" | head -n1)
        printf '   %-8s %-24s %4d passed, %d failed\n' "$1" "$(basename "$xml" .xml)" \
            $((tests - failures - disabled)) "$failures"
        total_passed=$((total_passed + tests - failures - disabled))
        total_failed=$((total_failed + failures))
    done
}

# Runs every fuzz target once over each input of fuzz/corpus/<target>/ (no fuzzing): a target
# that does not build, has no seeds or fails on one of them fails the run.
run_fuzz_corpora() {
    local program name corpus inputs rc=0
    fuzz_lines=()
    for program in build/fuzz/fuzz/fuzz_*; do
        [[ -x $program ]] || continue
        name=$(basename "$program") corpus=fuzz/corpus/$name
        inputs=$(find "$corpus" -type f 2>/dev/null | wc -l)
        if ((inputs == 0)); then
            fuzz_lines+=("$(printf '   %-8s %-24s no seeds in %s' fuzz "$name" "$corpus")")
            rc=1
        elif "$program" -timeout=20 "$corpus"/* >"build/fuzz/$name.log" 2>&1; then
            fuzz_lines+=("$(printf '   %-8s %-24s %4d inputs, ok' fuzz "$name" "$inputs")")
        else
            tail -n 30 "build/fuzz/$name.log"
            fuzz_lines+=("$(printf '   %-8s %-24s %4d inputs, FAILED (build/fuzz/%s.log)' fuzz \
                "$name" "$inputs" "$name")")
            rc=1
        fi
    done
    ((${#fuzz_lines[@]})) || { fuzz_lines=("   fuzz     no fuzz targets built"); rc=1; }
    return $rc
}

step "tools"
bash toolchain/bootstrap.sh || exit 1

if ((check_format)); then
    step "format"
    bash scripts/check_format.sh || failed=1
fi

total_passed=0 total_failed=0
step "native build (ASan, UBSan)"
build native || failed=1
step "win64 build (MinGW-w64 x86_64)"
build win64 || failed=1
if ((failed == 0)); then
    step "native tests"
    run_ctest native || failed=1
    step "win64 tests under Wine"
    run_ctest win64 toolchain/xvfb.sh || failed=1
fi
step "win32 build (MinGW-w64 i686)"
build win32 || failed=1
step "fuzz build (clang, libFuzzer)"
fuzz_start=$SECONDS
fuzz_lines=("   fuzz     the fuzz targets did not build")
if build fuzz; then
    step "fuzz targets over their seed corpora"
    run_fuzz_corpora || failed=1
else
    failed=1
fi
fuzz_seconds=$((SECONDS - fuzz_start))

step "summary"
summarise native
summarise win64
printf '%s\n' "${fuzz_lines[@]}"
printf 'fuzz build and seed runs %d s\n' "$fuzz_seconds"
printf 'wall time %d s\n' $((SECONDS - start))
printf '%d passed, %d failed\n' "$total_passed" "$total_failed"
((failed == 0 && total_failed == 0 && total_passed > 0))
