#!/usr/bin/env bash
# Builds native (ASan/UBSan), Windows x86_64 and Windows i686, runs the native tests and then the
# x86_64 tests under Wine (one wineserver for the run, a throwaway prefix in the build tree), and
# prints one summary line per test program and a total. Exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
failed=0

step() { printf '== %s\n' "$*"; }
build() {  # preset
    [[ -f build/$1/build.ninja ]] || cmake --preset "$1" >/dev/null || return 1
    cmake --build "build/$1" -- --quiet 2>&1 | grep -v '^ninja: no work to do' || true
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

step "tools"
bash toolchain/bootstrap.sh || exit 1

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

step "summary"
summarise native
summarise win64
printf 'wall time %d s\n' $((SECONDS - start))
printf '%d passed, %d failed\n' "$total_passed" "$total_failed"
((failed == 0 && total_failed == 0 && total_passed > 0))
