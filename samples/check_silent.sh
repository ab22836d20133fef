#!/bin/sh
# Checks the unattended run of the native installer on sandboxes of the sample game:
# - Ashgrove 1.01: exit 0, a log line for every file of the patch and the new patch version,
#   the game folder holding the patch's files;
# - a newer patch installed: exit 2, the newer-version page's text printed, nothing changed;
# - a first archive with a member that climbs out of the game folder: exit 3, the failed page's
#   text printed, nothing written anywhere.
# Usage: check_silent.sh PATCHER PATCHKIT STORED_ARCHIVE SAMPLES_SOURCE_DIR DIST_DIR
set -u
patcher=$1
patchkit=$2
stored_archive=$3
source=$4
dist=$5
# shellcheck source=samples/check_support.sh
. "$(dirname "$0")/check_support.sh"

# The English text of a page's id, for finding it in the installer's output.
english() {
    sed -n "/^#$1:/{n;s/^#ENG //p;q}" "$source/installer/Languages/ENG.txt"
}

# A distribution with the native program beside it (and the library by which the sandbox's
# 3ds Max 5.1 is recognised, when the build made it), and a sandbox of Ashgrove 1.01 for it.
# Usage: prepare NAME
prepare() {
    mkdir -p "$work/$1"
    cp -R "$dist" "$work/$1/dist"
    cp "$patcher" "$work/$1/dist/patcher"
    [ -f "$dist/../maxnet.dll" ] && cp "$dist/../maxnet.dll" "$work/$1/"
    sh "$source/make_sandbox.sh" "$work/$1/dist" "$work/$1/sandbox" >/dev/null 2>&1 ||
        fail "make_sandbox.sh for $1"
}

# Runs the installer of NAME's distribution unattended on its sandbox; prints its exit status.
# Usage: run NAME SWITCHES...
run() {
    name=$1
    shift
    (
        # shellcheck source=/dev/null
        . "$work/$name/sandbox/env.sh"
        cd "$work/$name/dist" && ./patcher /silent "$@" >"$work/$name.out" 2>&1
    )
    echo $?
}

# Every file below the work folder with its checksum, but the programs' own files: the
# distributions, the output and the instance lock.
snapshot() {
    (cd "$work" && find . -type f ! -path './*/dist/*' ! -name '*.out' ! -name '*.lock' ! -path ./before \
        -exec cksum {} + | LC_ALL=C sort -k3)
}

# The patched sandbox: every file of the common folder and of the English distribution's folder
# is in the game folder as the archives hold it (a later archive's copy wins), and has its line.
prepare patched
status=$(run patched /LOG="$work/patched.log")
[ "$status" -eq 0 ] || fail "unattended patch exits $status: $(head -n 3 "$work/patched.out")"
log=$(cat "$work/patched.log")
for archive in patch01 patch02 patch03; do
    "$patchkit" extract "$dist/$archive.cbf" "$work/patch" >/dev/null || fail "extract $archive"
done
game=$work/patched/sandbox/game
for folder in patch Distributions/789; do
    (cd "$work/patch/$folder" && find . -type f) | sed 's|^\./||' | while IFS= read -r file; do
        cmp -s "$work/patch/$folder/$file" "$game/$file" || echo "FAIL: game/$file is not the patch's"
        printf '%s\n' "$log" | grep -qxF -e "written $game/$file" -e "replaced $game/$file" ||
            echo "FAIL: the log has no line for game/$file"
    done
done >"$work/files.fail"
[ -s "$work/files.fail" ] && { cat "$work/files.fail" >&2; failed=1; }
printf '%s\n' "$log" | grep -q '^replaced ' || fail "the log lists no replaced file"
printf '%s\n' "$log" | grep -q '^written ' || fail "the log lists no written file"
shortcuts=$(printf '%s\n' "$log" | sed -n 's/^shortcut //p')
[ -n "$shortcuts" ] || fail "the log lists no shortcut"
missing=$(printf '%s\n' "$shortcuts" | while IFS= read -r link; do [ -f "$link" ] || echo "$link"; done)
[ -n "$missing" ] && fail "the log lists a shortcut that is not there: $missing"
printf '%s\n' "$log" | grep -q '^registry .*\\Version Info\\Patch version = 102$' ||
    fail "the log lists no new patch version"
tr -d '\r' <"$work/patched/sandbox/registry.reg" | grep -q '^"Patch version"=dword:00000066$' ||
    fail "the registry holds no patch version 102"

# A newer patch installed: the refusal changes nothing.
prepare newer
sed 's/^"Patch version"=dword:.*/"Patch version"=dword:00000067/' \
    "$work/newer/sandbox/registry.reg" >"$work/newer.reg"
mv "$work/newer.reg" "$work/newer/sandbox/registry.reg"
snapshot >"$work/before"
status=$(run newer)
[ "$status" -eq 2 ] || fail "unattended patch over a newer one exits $status"
grep -qF "$(english 90)" "$work/newer.out" || fail "no newer-version text: $(head -n 1 "$work/newer.out")"
snapshot | diff "$work/before" - >&2 || fail "the refused patch changed the sandbox"

# A member escaping the game folder, last in the first archive: nothing is written, neither the
# files before it nor the escaped one (it would land in the work folder).
prepare escaping
rm -rf "$work/patch"
"$patchkit" extract "$dist/patch01.cbf" "$work/patch" >/dev/null || fail "extract patch01"
printf 'escaped\n' >"$work/escaped.bytes"
set --
while IFS="$(printf '\t')" read -r member rest; do
    set -- "$@" "$member" "$work/patch/$(printf '%s' "$member" | tr '\134' /)"
done <<LIST
$("$patchkit" list "$dist/patch01.cbf")
LIST
"$stored_archive" "$work/escaping/dist/patch01.cbf" "$@" 'patch\..\..\escaped.txt' \
    "$work/escaped.bytes" || fail "stored_archive"
rm -rf "$work/patch" "$work/escaped.bytes"
snapshot >"$work/before"
status=$(run escaping)
[ "$status" -eq 3 ] || fail "unattended patch with an escaping member exits $status"
grep -qF "$(english 190)" "$work/escaping.out" || fail "no failed-page text: $(head -n 1 "$work/escaping.out")"
snapshot | diff "$work/before" - >&2 || fail "the failed patch wrote into the sandbox"

[ $failed -eq 0 ] && echo "unattended runs: OK"
exit $failed
