#!/usr/bin/env bash
# The installer program killed with SIGKILL at random points of an unattended run on a sandbox
# of the sample game, 20 times: after each kill every file of the patch is entirely old or
# entirely new, never torn; after one more run to the end every file is new and no temporary
# file is left anywhere in the sandbox or its temporary folder.
#
# usage: program_kill.sh PATCHER PATCHKIT SAMPLE_DIST SAMPLES_DIR WORK_DIR [RESULT_XML]
set -uo pipefail
[[ $# -ge 5 ]] || { echo "usage: program_kill.sh PATCHER PATCHKIT SAMPLE_DIST SAMPLES_DIR WORK_DIR [RESULT_XML]" >&2; exit 2; }
patcher=$1 patchkit=$2 sample=$3 samples=$4 work=$5 xml=${6:-}
KILLS=20 FILES=40
failures=0 during=0 halfway=0

fail() {
    echo "program_kill: $*" >&2
    failures=$((failures + 1))
}
finish() {
    if [[ -n $xml ]]; then
        mkdir -p "$(dirname "$xml")"
        printf '<?xml version="1.0" encoding="UTF-8"?>\n<testsuites tests="%d" failures="%d" disabled="0" name="program_kill">\n</testsuites>\n' \
            $((KILLS + 1)) "$failures" >"$xml"
    fi
    ((failures == 0)) && rm -rf "$work"
    exit $((failures != 0))
}

game=$work/sandbox/game/data/kill
rm -rf "$work"
mkdir -p "$work/new/patch/data/kill" "$work/old" "$work/empty/patch"
# The sample's installer archive with a first patch archive of FILES files of 2 MiB (stored, so
# the copy takes its time) over old files of other sizes; the other two archives add nothing.
for i in $(seq "$FILES"); do
    head -c 2097152 /dev/urandom >"$work/new/patch/data/kill/f$i.bin"
    head -c $((300000 + i)) /dev/urandom >"$work/old/f$i.bin"
done
echo "nothing" >"$work/empty/patch/empty.txt"
cp -r "$sample" "$work/dist"
cp "$patcher" "$work/dist/patcher"
"$patchkit" pack "$work/new" "$work/dist/patch01.cbf" --method store >/dev/null || { fail "pack"; finish; }
for n in 02 03; do
    "$patchkit" pack "$work/empty" "$work/dist/patch$n.cbf" --method store >/dev/null || { fail "pack"; finish; }
done
bash "$samples/make_sandbox.sh" "$work/dist" "$work/sandbox" >/dev/null 2>&1 || { fail "sandbox"; finish; }
# shellcheck source=/dev/null
source "$work/sandbox/env.sh"
mkdir -p "$game"
# A run that ends records the new version; each run starts from the installed one again.
cp "$work/sandbox/registry.reg" "$work/registry.installed"

# Starts an unattended run on the installed game (its old files and version; what earlier runs
# left beside them stays) in the background; its process id in pid.
start_run() {
    cp "$work"/old/*.bin "$game/"
    cp "$work/registry.installed" "$work/sandbox/registry.reg"
    (cd "$work/dist" && exec ./patcher /silent /log="$work/run.log") >/dev/null 2>&1 &
    pid=$!
}

# One run to the end first, timed, so that the kills fall anywhere in a run.
started=${EPOCHREALTIME/[.,]/}
start_run
wait "$pid" || fail "the timed run ended with $?"
took=$(((${EPOCHREALTIME/[.,]/} - started) / 1000 + 1)) # milliseconds

for run in $(seq "$KILLS"); do
    start_run
    delay=$((RANDOM % took))
    sleep "$((delay / 1000)).$(printf '%03d' $((delay % 1000)))"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    copied=0
    for i in $(seq "$FILES"); do
        file=$game/f$i.bin
        if cmp -s "$file" "$work/new/patch/data/kill/f$i.bin"; then
            copied=$((copied + 1))
        elif ! cmp -s "$file" "$work/old/f$i.bin"; then
            fail "run $run: f$i.bin is neither old nor new ($(stat -c %s "$file" 2>/dev/null || echo missing) bytes)"
        fi
    done
    # What the kills hit, so that a run shows it tried the copy and not only the start.
    ((copied > 0 && copied < FILES)) && during=$((during + 1))
    [[ -n $(find "$game" -name '~pt*.tmp') ]] && halfway=$((halfway + 1))
done

start_run
wait "$pid" || fail "the last run ended with $?"
for i in $(seq "$FILES"); do
    cmp -s "$game/f$i.bin" "$work/new/patch/data/kill/f$i.bin" || fail "after the last run f$i.bin is not new"
done
leftovers=$(find "$work/sandbox" -name '~pt*.tmp')
[[ -z $leftovers ]] || fail "temporary files left after the last run: $leftovers"
staged=$(find "$TMPDIR" -type f ! -name '*.lock')
[[ -z $staged ]] || fail "the temporary folder still holds: $staged"
echo "program_kill: a run takes $took ms; $KILLS kills, $during amid the copy, $halfway amid a file; $failures failures"
finish
