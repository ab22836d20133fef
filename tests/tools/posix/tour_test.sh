#!/bin/bash
# patchkit tour end to end: a distribution packed with patchkit (two languages, fonts made with
# patchkit font), a game in a private registry file, the whole wizard clicked through; then the
# game folder, the version record and the pictures checked. A newer installed patch ends on the
# refusal page with status 2. Skipped (77) without the DejaVu face.
#   tour_test.sh PATCHKIT WORK_DIR
set -uo pipefail
kit=$1 work=$2
face=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
[[ -f $face ]] || { echo "no $face"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work" && mkdir -p "$work"/{src/Languages,patch/patch/Data,dist,game,home,run} || exit 1
cd "$work" || exit 1
printf '#300:\n#ENG Tour\n#423:\n#ENG 0\n#413:\n#ENG Install Path\n#400:\n#ENG game.exe\n#421:\n#ENG 102\n#422:\n#ENG 2024.5.6\n#420:\n#ENG Second\n' >src/patcher.txt
for code in ENG GER; do
    for id in 10 11 13 14 16 20 21 29 30 31 32 39 40 49 60 61 69 90 99 110 111 119; do
        printf '#%s:\n#%s %s %s\n' "$id" "$code" "$code" "$id"
    done >src/Languages/$code.txt
    echo "Licence $code" >src/Languages/$code.la
    "$kit" font "$face" src/Languages/$code.fnt --size 11 >/dev/null || fail "font $code"
done
printf 'new' >patch/patch/Data/New.txt
printf 'replaced' >patch/patch/Old.txt
"$kit" pack src dist/patcher.cbf >/dev/null && "$kit" pack patch dist/patch.cbf >/dev/null || fail pack
printf 'old' >game/old.txt

export PATCHER_REGISTRY=$work/registry.reg HOME=$work/home XDG_RUNTIME_DIR=$work/run
export XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
registry() {  # the game installed in the work folder, with the installed patch version
    printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnholt\\Ashgrove]\n"Install Path"="%s"\n\n' "$work/game"
    printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnholt\\Ashgrove\\Version Info]\n"Patch version"=dword:%08x\n' "$1"
}

registry 100 >registry.reg
"$kit" tour dist pages --lang GER >tour.out; status=$?
[[ $status == 0 ]] || fail "tour ended with $status: $(cat tour.out)"
expected='00-language.png 01-start.png 02-licence.png 03-ready.png 04-copy.png 05-finished.png'
[[ $(echo $(cat tour.out)) == "$expected" ]] || fail "pages: $(echo $(cat tour.out))"
for page in $expected; do [[ -s pages/$page ]] || fail "no pages/$page"; done
[[ $(cat game/data/new.txt) == new && $(cat game/old.txt) == replaced ]] || fail "game folder"
grep -q '^"Patch version"=dword:00000066' registry.reg || fail "version record: $(cat registry.reg)"
grep -q '^"Language"=dword:' registry.reg || fail "no language recorded"

registry 103 >registry.reg
rm -rf pages
"$kit" tour dist pages >tour.out; status=$?
[[ $status == 2 ]] || fail "newer installed: status $status"
[[ $(tail -n1 tour.out) == *-newer-installed.png ]] || fail "newer installed: $(cat tour.out)"
echo "tour test passed"
