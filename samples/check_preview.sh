#!/bin/sh
# Checks preview's page checks on the sample distribution: the sample itself passes --strict;
# a copy with a German button caption too wide for its button and a Russian font without the
# Cyrillic letters (codes 0xC0..0xFF of code page 1251) fails --strict, and stderr names both
# faults (the letters a page lacks in one finding); without --strict the same findings come with exit status 0 (the spoiled copy is
# previewed in those two languages only, to keep the check short).
# Usage: check_preview.sh PATCHKIT DIST_DIR FONT_FILE
set -u
patchkit=$1
dist=$2
font=$3
# shellcheck source=samples/check_support.sh
. "$(dirname "$0")/check_support.sh"
# preview reads no installed game; an empty registry keeps the caller's out of it.
PATCHER_REGISTRY=$work/registry.reg
export PATCHER_REGISTRY

"$patchkit" preview "$dist" "$work/sample" --strict >/dev/null 2>"$work/sample.err"
status=$?
[ $status -eq 0 ] || fail "preview --strict on the sample exits $status"
[ -s "$work/sample.err" ] && fail "preview --strict on the sample: $(head -n 1 "$work/sample.err")"
[ -f "$work/sample/index.html" ] || fail "preview wrote no index.html"

# The spoiled copy: "Next" in German becomes a caption of 50-odd characters (code page 1252
# bytes: \344 is a-umlaut), and RUS.fnt keeps only the codes below 0xC0.
mkdir -p "$work/spoiled"
"$patchkit" extract "$dist/patcher.cbf" "$work/installer" >/dev/null || fail "extract patcher.cbf"
german=$work/installer/Languages/GER.txt
long=$(printf 'Weiter zur n\344chsten Seite des Installationsassistenten')
LC_ALL=C sed "s/^#GER Weiter\$/#GER $long/" "$german" >"$work/GER.txt" || fail "sed GER.txt"
cmp -s "$german" "$work/GER.txt" && fail "GER.txt has no line '#GER Weiter' to spoil"
mv "$work/GER.txt" "$german"
"$patchkit" font "$font" "$work/installer/Languages/RUS.fnt" --size 11 --codepage 1251 \
    --first 32 --count 160 >/dev/null || fail "font RUS.fnt without Cyrillic letters"
"$patchkit" pack "$work/installer" "$work/spoiled/patcher.cbf" >/dev/null || fail "pack"

for mode in strict plain; do
    strict=$([ $mode = strict ] && echo yes)
    "$patchkit" preview "$work/spoiled" "$work/$mode" --lang GER --lang RUS ${strict:+--strict} \
        >/dev/null 2>"$work/$mode.err"
    status=$?
    expected=$([ $mode = strict ] && echo 1 || echo 0)
    [ $status -eq "$expected" ] || fail "preview ($mode) on the spoiled copy exits $status"
    grep -q "^GER [a-z-]*: button 'Weiter zur n.*' is [0-9]* px wide, its room [0-9]* px$" \
        "$work/$mode.err" || fail "preview ($mode) names no over-wide German button"
    grep -q "^RUS [a-z-]*: no glyph in Languages.RUS.fnt for [0-9]* characters: byte 0x.. " \
        "$work/$mode.err" ||
        fail "preview ($mode) names no glyph missing from RUS.fnt"
    repeated=$(grep "^RUS [a-z-]*: no glyph in " "$work/$mode.err" | cut -d: -f1 | uniq -d)
    [ -n "$repeated" ] &&
        fail "preview ($mode) names the glyphs one font lacks on a page in more than one line: $repeated"
    grep -v -q -e '^GER ' -e '^RUS ' "$work/$mode.err" &&
        fail "preview ($mode) finds more than the two faults: $(grep -v -e '^GER ' -e '^RUS ' "$work/$mode.err" | head -n 1)"
    grep -q "^GER .*no glyph\|^RUS .*px wide" "$work/$mode.err" &&
        fail "preview ($mode) mixes the two faults up"
done
cmp -s "$work/strict.err" "$work/plain.err" || fail "--strict changes the findings"

[ $failed -eq 0 ] && echo "preview checks: OK"
exit $failed
