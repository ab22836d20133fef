#!/bin/bash
# wine_wizard.sh BUILD_DIR - the Windows installer end to end: patcher.exe of a win64 build tree
# runs under Wine in a real window on $DISPLAY and is clicked through with xdotool, as a user
# would: pointer onto the button, then a press.
#
#   1. the whole wizard in German (chosen in the language dialog): news and back, licence, the
#      shortcuts, run-program and editor-tools pages, ready, copy, finished; then the game
#      folder, the editor-tools folders, the shortcuts, the program that ran and the version
#      record are checked;
#   2. a second start while the first window is up exits with 1 and brings that window forward;
#   3. three archives with the second missing: Ok in the retry box after the archive is back
#      finishes the patch; Cancel shows the cancelled page and archive 3 is not applied;
#   4. the same patch with /silent: no window, exit 0, the game patched and the log written.
#
# The distribution is packed from tests/e2e/dist with the cross-built patchkit.exe under Wine, or
# with the native patchkit that $PATCHKIT names. Everything it writes is below
# BUILD_DIR/tests/e2e/run (the game folder too); the registry keys it sets in the build tree's
# Wine prefix are deleted again at the end. A page change is seen as a change of the window's
# picture; a failed step prints its name and leaves the last picture in run/failed.png.
set -uo pipefail
[[ $# -eq 1 ]] || { echo "usage: wine_wizard.sh BUILD_DIR" >&2; exit 2; }
build=$(cd "$1" && pwd) || exit 2
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../../toolchain/wine-run.sh
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
run=$build/tests/e2e/run
results=$build/results

# Layout of the installer's windows, client coordinates. Wizard: 437 x 320, the button column
# at x 349 holds buttons of 75 x 16 at x 7 and y 297 (1), 274 (2) and 7 (3). Language dialog:
# 214 wide, rows of 16, its list at y 32 with items of 15, "Ok" at 16, 80 and "Quit" at 123, 80.
# Retry box (two buttons of 70 x 18, margin 16, texts narrower than the button row, one line of
# the 10-pixel test font, title 16): 188 x 75, centred in the wizard, its buttons 26 above its
# bottom.
WIZARD_W=437 WIZARD_H=320
BUTTON_X=$((349 + 7)) BUTTON_W=75 BUTTON_H=16
declare -A BUTTON_Y=([1]=297 [2]=274 [3]=7)
DIALOG_W=214 DIALOG_ROW=16
BOX_W=188 BOX_H=75 BOX_BUTTON_W=70 BOX_BUTTON_H=18 BOX_MARGIN=16
POLL=0.05 # seconds between two pictures
WAIT=20   # seconds a step may take at most

step="setup"
win="" win_x=0 win_y=0 win_w=0 win_h=0 border=0 hash=""
pid="" cover="" # the installer process of the running scenario, the covering window's

fail() {
    echo "wine_wizard: FAILED at step '$step': $*" >&2
    if [[ -n $win ]] && import -silent -window "$win" "$run/failed.png" 2>/dev/null; then
        echo "wine_wizard: the window's last picture: $run/failed.png" >&2
    elif [[ -s $run/last.ppm ]] && convert "$run/last.ppm" "$run/failed.png" 2>/dev/null; then
        echo "wine_wizard: the window's last picture: $run/failed.png" >&2
    fi
    write_result 1
    exit 1
}
write_result() {  # failures
    mkdir -p "$results"
    printf '<?xml version="1.0" encoding="UTF-8"?>\n<testsuites tests="1" failures="%d" disabled="0" name="wine_wizard">\n</testsuites>\n' \
        "$1" >"$results/wine_wizard.xml"
}
cleanup() {
    local process
    for process in $pid $cover; do kill "$process" 2>/dev/null && wait "$process" 2>/dev/null; done
    remove_shortcuts
    # The pointer goes to the screen's corner, off where the next test's window opens.
    xdotool mousemove 0 0 2>/dev/null
    [[ -f $run/remove.reg ]] && wine reg import "$(winpath "$run/remove.reg")" >/dev/null 2>&1
}
trap cleanup EXIT
now() { echo "${EPOCHREALTIME/[.,]/}"; }                 # microseconds
elapsed() { printf '%.1f' "$(( $(now) - $1 ))e-6"; }       # seconds since a now()
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
start_time=$(now)
# The step that runs now, for the failure message; with WINE_WIZARD_TRACE set each step is
# printed with the seconds since the start.
at() {
    step=$1
    [[ -z ${WINE_WIZARD_TRACE:-} ]] || printf 'wine_wizard: %6s s  %s\n' "$(elapsed "$start_time")" "$step"
}

for tool in xdotool import convert wine; do
    command -v "$tool" >/dev/null || { echo "wine_wizard: $tool is missing (bootstrap.sh)" >&2; exit 1; }
done
[[ -n ${DISPLAY:-} ]] || { echo "wine_wizard: no DISPLAY (run it under toolchain/xvfb.sh)" >&2; exit 1; }

# --- the window and its picture -------------------------------------------------------------

# The picture's hash (empty while the window cannot be read, e.g. hidden while a program runs).
picture() {
    import -silent -window "$win" "$run/next.ppm" 2>/dev/null || { echo ""; return; }
    mv "$run/next.ppm" "$run/last.ppm"
    md5sum <"$run/last.ppm" | cut -c1-32
}
# Which of the wizard's buttons the last picture shows: "1", "2", "3" or "-" each. A button is
# shown when its rectangle holds more than one colour (the column behind it is plain).
buttons() {
    local n shown=""
    for n in 1 2 3; do
        local colours
        colours=$(convert "$run/last.ppm" -crop "${BUTTON_W}x${BUTTON_H}+$((border + BUTTON_X))+$((border + BUTTON_Y[$n]))" \
            -format %k info: 2>/dev/null)
        if ((${colours:-0} > 1)); then shown+=$n; else shown+=-; fi
    done
    echo "$shown"
}
# Waits until the picture holds still (the same for three pictures in a row); sets hash.
still() {
    local deadline=$(($(now) + WAIT * 1000000)) previous="" same=0 h
    while (($(now) < deadline)); do
        h=$(picture)
        if [[ -n $h && $h == "$previous" ]]; then
            ((++same >= 2)) && { hash=$h; return 0; }
        else
            same=0
        fi
        previous=$h
        sleep "$POLL"
    done
    fail "the window never held still"
}
# Waits until the picture differs from BASE and holds still, and (when given) the wizard shows
# the buttons BUTTONS; sets hash.
changed() {  # base [buttons]
    local deadline=$(($(now) + WAIT * 1000000)) previous="" same=0 h
    while (($(now) < deadline)); do
        h=$(picture)
        if [[ -n $h && $h != "$1" && $h == "$previous" ]]; then
            if ((++same >= 2)) && [[ -z ${2:-} || $(buttons) == "$2" ]]; then
                hash=$h
                return 0
            fi
        else
            same=0
        fi
        previous=$h
        sleep "$POLL"
    done
    fail "the window did not change${2:+ to a page with the buttons $2} (it shows $(buttons))"
}
# Waits until the picture is HASH again.
again() {  # hash
    local deadline=$(($(now) + WAIT * 1000000))
    until [[ $(picture) == "$1" ]]; do
        (($(now) < deadline)) || fail "the window's picture did not come back"
        sleep "$POLL"
    done
}
# Finds the visible window of the installer whose caption is NAME and takes its place; Wine
# gives X the program's name as the window class, not the Win32 class.
find_window() {  # name client-width client-height
    local deadline=$(($(now) + WAIT * 1000000)) id X Y WIDTH HEIGHT
    while (($(now) < deadline)); do
        for id in $(xdotool search --onlyvisible --class patcher.exe 2>/dev/null); do
            [[ $(xdotool getwindowname "$id" 2>/dev/null) == "$1" ]] || continue
            eval "$(xdotool getwindowgeometry --shell "$id" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
            border=$(((WIDTH - $2) / 2))
            ((WIDTH - 2 * border == $2 && HEIGHT - 2 * border == $3)) \
                || fail "window '$1' is ${WIDTH}x$HEIGHT, not $2x$3 with a border"
            win=$id win_x=$X win_y=$Y win_w=$WIDTH win_h=$HEIGHT
            return 0
        done
        sleep "$POLL"
    done
    fail "no window '$1' of patcher.exe appeared"
}
# Moves the pointer onto the client point X, Y of the window, waits until the hover is drawn,
# and presses the left button there. The picture before the press is in hash.
click() {  # x y
    xdotool mousemove $((win_x + border + $1)) $((win_y + border + $2)) || fail "xdotool mousemove"
    still
    xdotool click 1 || fail "xdotool click"
}
# Presses wizard button N (1 bottom, 2 above it, 3 top) and waits for the page that shows the
# buttons BUTTONS.
press() {  # n buttons
    at "$3"
    click $((BUTTON_X + BUTTON_W / 2)) $((BUTTON_Y[$1] + BUTTON_H / 2))
    changed "$hash" "$2"
}
# Waits until the installer process ends and checks its exit status.
ended() {  # status
    local deadline=$(($(now) + WAIT * 1000000))
    while kill -0 "$pid" 2>/dev/null; do
        (($(now) < deadline)) || fail "the installer did not end"
        sleep "$POLL"
    done
    wait "$pid"
    local status=$?
    pid="" win=""
    ((status == $1)) || fail "the installer ended with $status, not $1"
}

# --- the distribution, the game and the registry ---------------------------------------------

pack() {  # source archive
    if [[ -n ${PATCHKIT:-} ]]; then
        "$PATCHKIT" pack "$1" "$2" >/dev/null
    else
        "$wine_run" "$build/tools/patchkit.exe" pack "$1" "$2" >/dev/null
    fi || fail "patchkit pack $1"
}
make_distribution() {
    at "packing the distribution"
    rm -rf "$run" && mkdir -p "$run/stage" "$run/dist" "$run/spare" || fail "cannot make $run"
    cp -r "$here/dist/." "$run/stage/"
    local fonts=$run/stage/installer/Languages
    "$wine_run" "$build/tests/e2e/e2e_font.exe" "$fonts/ENG.fnt" || fail "e2e_font"
    cp "$fonts/ENG.fnt" "$fonts/GER.fnt"
    mkdir -p "$run/stage/patch03/Tools"
    cp "$build/tests/e2e/e2e_marker.exe" "$run/stage/patch03/Tools/after.exe"
    pack "$run/stage/installer" "$run/dist/patcher.cbf"
    local n
    for n in 01 02 03; do pack "$run/stage/patch$n" "$run/dist/patch$n.cbf"; done
    cp "$build/patcher/patcher.exe" "$run/dist/"
    {
        echo REGEDIT4
        echo '[-HKEY_LOCAL_MACHINE\SOFTWARE\Varnholt]'
        echo '[-HKEY_LOCAL_MACHINE\SOFTWARE\Autodesk\3DSMAX]'
    } >"$run/remove.reg"
}
# A game at patch 1.01, German distribution, a language without a file (so the dialog asks),
# and both 3ds Max releases; a fresh game folder and editor folders.
install_game() {
    at "installing the game"
    rm -rf "$run/game" "$run/max5" "$run/max6" "$run/marker"
    remove_shortcuts
    mkdir -p "$run/game/data/maps" "$run/max5" "$run/max6"
    echo "game program 1.00" >"$run/game/ashgrove.exe"
    echo "map v0" >"$run/game/data/maps/a.map"
    echo "b v0" >"$run/game/data/b.dat"
    chmod a-w "$run/game/data/b.dat" # read-only: the copy must replace it all the same
    cp "$build/tests/e2e/version_5_1.dll" "$run/max5/maxnet.dll"
    esc() { local p; p=$(winpath "$1"); echo "${p//\\/\\\\}"; }
    cat "$run/remove.reg" - >"$run/game.reg" <<EOF

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnholt\\Ashgrove]
"Install Dir"="$(esc "$run/game")"

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnholt\\Ashgrove\\Version Info]
"Main version name"="1.00"
"Main version"=dword:00000064
"Patch version name"="1.01"
"Patch version"=dword:00000065
"Patch version time"=dword:0001c436
"Distribution"=dword:00000317
"Language"=dword:00000003
"Editor version"=dword:00000064

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Autodesk\\3DSMAX\\5.0\\MAX-1:409]
"uninstallpath"="$(esc "$run/max5")"

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Autodesk\\3DSMAX\\6.0]
"Installdir"="$(esc "$run/max6")\\\\"
EOF
    wine reg import "$(winpath "$run/game.reg")" >/dev/null 2>&1 || fail "wine reg import"
}
# Starts the installer from the distribution folder.
start_installer() {
    at "starting patcher.exe"
    PATCHER_E2E_MARKER=$(winpath "$run/marker") "$wine_run" "$run/dist/patcher.exe" &
    pid=$!
}
# The language dialog: the row ROW (0 first) is clicked, then "Ok"; then the wizard's start page.
choose_language() {  # row
    at "language dialog"
    find_window "Varnholt's patch installer" "$DIALOG_W" $((7 * DIALOG_ROW))
    still
    if (($1 > 0)); then
        at "language dialog: row $1"
        click $((DIALOG_W / 2)) $((2 * DIALOG_ROW + $1 * (DIALOG_ROW - 1) + 7))
        changed "$hash"
    fi
    at "language dialog: Ok"
    click $((16 + 75 / 2)) $((5 * DIALOG_ROW + 8))
    at "start page"
    find_window "Ashgrove test patch" "$WIZARD_W" "$WIZARD_H"
    changed "" "123"
}
# From the start page to the progress page.
to_copy() {
    press 1 "12-" "start page: Next"
    press 1 "12-" "licence: I agree"
    press 1 "12-" "shortcuts page: Next"
    press 1 "12-" "run-program page: Next"
    press 1 "12-" "editor-tools page: Next"
    at "ready page: Start"
    click $((BUTTON_X + BUTTON_W / 2)) $((BUTTON_Y[1] + BUTTON_H / 2))
}
# Ends the program with wizard button 1 of an end page.
close_with_button_1() {  # step
    at "$1"
    click $((BUTTON_X + BUTTON_W / 2)) $((BUTTON_Y[1] + BUTTON_H / 2))
    ended 0
}
# A fresh game, patch02.cbf taken away, English, on to the copy until the retry box shows.
to_retry_box() {
    install_game
    mv "$run/dist/patch02.cbf" "$run/spare/"
    start_installer
    choose_language 0
    to_copy
    at "retry box"
    changed "$hash" "---"
}
# Presses Ok or Cancel (0 or 1) of the retry box.
retry_box() {  # button
    local box_x=$(((WIZARD_W - BOX_W) / 2)) box_y=$(((WIZARD_H - BOX_H) / 2))
    click $((box_x + (BOX_W - 2 * BOX_BUTTON_W - BOX_MARGIN) / 2 + $1 * (BOX_BUTTON_W + BOX_MARGIN) + BOX_BUTTON_W / 2)) \
        $((box_y + BOX_H - 26 + BOX_BUTTON_H / 2))
}

# --- checks -----------------------------------------------------------------------------------

# The shortcuts that the patch makes, on the desktop and in the program menu of the prefix's
# user (folders of the prefix's own, see wine-run.sh).
shortcuts() {
    find "$WINEPREFIX"/drive_c/users -name 'Ashgrove test.lnk' -printf '%P\n' 2>/dev/null | sort
}
remove_shortcuts() {
    find "$WINEPREFIX"/drive_c/users -name 'Ashgrove test.lnk' -delete 2>/dev/null
    find "$WINEPREFIX"/drive_c/users -type d -name 'Ashgrove test' -empty -delete 2>/dev/null
}
expect_shortcuts() {  # count
    local found
    found=$(shortcuts)
    [[ $(grep -c . <<<"$found") == "$1" ]] || fail "$1 shortcuts expected, found: ${found:-none}"
    [[ $1 == 0 || $found == *"/Desktop/Ashgrove test.lnk"* ]] || fail "no shortcut on the desktop: $found"
}

expect_file() {  # path text
    [[ -f $1 ]] || fail "missing: ${1#"$run/"}"
    [[ $(<"$1") == "$2" ]] || fail "${1#"$run/"} holds '$(<"$1")', not '$2'"
}
expect_absent() {  # path
    [[ ! -e $1 ]] || fail "should not exist: ${1#"$run/"}"
}
# The version record's value NAME as 'reg query' prints it.
record_value() {  # name
    wine reg query 'HKLM\SOFTWARE\Varnholt\Ashgrove\Version Info' /v "$1" 2>/dev/null | tr -d '\r' \
        | sed -n "s/^ *$1 *REG_[A-Z]* *//p"
}
expect_record() {  # name value
    local value
    value=$(record_value "$1")
    [[ $value == "$2" ]] || fail "version record: '$1' is '$value', not '$2'"
}
# Every archive applied, over the game of install_game; NAME is the recorded patch name.
expect_patched() {  # name
    at "checking the patched game"
    expect_file "$run/game/readme.txt" "readme of 1.02"
    expect_file "$run/game/data/maps/a.map" "map v2"
    expect_file "$run/game/data/b.dat" "b v2"
    expect_file "$run/game/sounds/intro.wav" "intro v1"
    expect_file "$run/game/lang/ger.txt" "german texts"
    expect_absent "$run/game/lang/other.txt"
    expect_file "$run/game/ashgrove.exe" "game program 1.02"
    expect_absent "$run/game/tools"
    expect_file "$run/max5/plugins/ashgrove5.dlu" "tools for 5.1"
    expect_file "$run/max6/plugins/ashgrove6.dlu" "tools for 6.0"
    expect_file "$run/marker" "ran"
    expect_record "Patch version" 0x66
    expect_record "Patch version name" "$1"
    expect_record "Patch version time" 0x1c436
    expect_record "Editor version" 0x96
    expect_record "Main version name" "1.00"
    expect_shortcuts 2
}

# --- the scenarios ----------------------------------------------------------------------------

make_distribution
printf 'wine_wizard: distribution packed in %s s\n' "$(elapsed "$start_time")"

# 1 and 2: the whole wizard in German, and a second start while it is up.
t=$(now)
install_game
start_installer
choose_language 1
at "second start: covering the window"
uncovered=$hash
"$wine_run" "$build/tests/e2e/e2e_cover.exe" "$win_x" "$win_y" "$win_w" "$win_h" &
cover=$!
changed "$uncovered"
at "second start"
second=$(now)
"$wine_run" "$run/dist/patcher.exe"
status=$?
((status == 1)) || fail "the second start ended with $status, not 1"
printf 'wine_wizard: the second start ended with 1 in %s s\n' "$(elapsed "$second")"
at "second start: the first window in front again"
again "$uncovered"
kill "$cover" && wait "$cover" 2>/dev/null
cover=""
press 3 "1--" "start page: News"
press 1 "123" "news page: Back"
to_copy
at "copy"
changed "$hash" "12-"
close_with_button_1 "finished page: Close"
expect_patched "1.02 DE"
printf 'wine_wizard: the whole wizard in %s s\n' "$(elapsed "$t")"

# 3: the second of three archives missing; Ok in the retry box once it is back.
t=$(now)
to_retry_box
mv "$run/spare/patch02.cbf" "$run/dist/"
at "retry box: Ok"
retry_box 0
changed "$hash" "12-"
close_with_button_1 "finished page: Close"
expect_patched "1.02"
printf 'wine_wizard: retry with the archive put back in %s s\n' "$(elapsed "$t")"

# ... and Cancel: the cancelled page; archive 1 stays applied, archive 3 is not, no new version.
t=$(now)
to_retry_box
at "retry box: Cancel"
retry_box 1
changed "$hash" "1--"
close_with_button_1 "cancelled page: Close"
at "checking the cancelled patch"
expect_file "$run/game/readme.txt" "readme of 1.02"
expect_file "$run/game/data/maps/a.map" "map v1"
expect_file "$run/game/data/b.dat" "b v0"
expect_file "$run/game/ashgrove.exe" "game program 1.00"
expect_absent "$run/max5/plugins"
expect_absent "$run/marker"
expect_shortcuts 0
expect_record "Patch version" 0x65
expect_record "Patch version name" "1.01"
printf 'wine_wizard: cancel in the retry box in %s s\n' "$(elapsed "$t")"

# 4: the same patch unattended: no window, no question, every file and registry value logged.
t=$(now)
mv "$run/spare/patch02.cbf" "$run/dist/"
install_game
step="unattended run"
PATCHER_E2E_MARKER=$(winpath "$run/marker") \
    "$wine_run" "$run/dist/patcher.exe" /SILENT /lang=ENG "/log=$(winpath "$run/silent.log")" \
    >"$run/silent.out" 2>&1
status=$?
((status == 0)) || fail "the unattended run ended with $status, not 0: $(cat "$run/silent.out" "$run/silent.log" 2>/dev/null)"
expect_patched "1.02"
for line in "replaced Z:.*ashgrove.exe" "written Z:.*max6.plugins.ashgrove6.dlu" \
    "registry HKEY_LOCAL_MACHINE.SOFTWARE.Varnholt.Ashgrove.Version Info.Patch version = 102"; do
    tr -d '\r' <"$run/silent.log" | grep -q "^$line" || fail "the log has no line '$line'"
done
printf 'wine_wizard: the unattended run in %s s\n' "$(elapsed "$t")"

write_result 0
printf 'wine_wizard: passed in %s s\n' "$(elapsed "$start_time")"
