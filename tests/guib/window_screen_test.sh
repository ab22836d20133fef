#!/bin/bash
# window_screen_test.sh RUNNER PROBE WORKDIR: the toolkit's real window under Wine and X.
# Starts the probe, waits for its first pass, compares a screenshot of the client area pixel
# for pixel with the back buffer the probe wrote, clicks into one of its windows with xdotool
# and checks the press and release arrived there in that window's coordinates, then closes the
# window with Alt+F4 (the system's close through the window procedure) and checks that the
# probe's pump ended. Needs DISPLAY (the Windows tests run under toolchain/xvfb.sh); exits 77
# (ctest: skipped) without one.
set -uo pipefail
runner=$1 probe=$2 work=$3
if [[ -z ${DISPLAY:-} ]]; then
    echo "SKIP: no DISPLAY; run ctest under toolchain/xvfb.sh"; exit 77
fi
mkdir -p "$work"
out=$work/probe.log frame=$work/frame.ppm shot=$work/screen.ppm
rm -f "$out" "$frame" "$shot"
fail() { echo "FAIL: $*"; echo "--- probe output:"; cat "$out"; exit 1; }
trap '[[ -n ${pid:-} ]] && kill "$pid" 2>/dev/null' EXIT

# Wine reads "/x" as "\x" on the current drive; Z: is the whole file system.
"$runner" "$probe" "Z:$frame" >"$out" 2>&1 &
pid=$!
for _ in $(seq 400); do
    grep -q '^ready' "$out" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
done
read -r _ cx cy < <(grep '^ready' "$out") || fail "no first pass (probe ended, or 20 s passed)"
read -r width height < <(sed -n 2p "$frame") || fail "no frame written"

# X may show the window a moment after the first pass.
for _ in $(seq 50); do
    import -window root -crop "${width}x${height}+${cx}+${cy}" -depth 8 "ppm:$shot"
    cmp -s <(tail -c $((width * height * 3)) "$frame") <(tail -c $((width * height * 3)) "$shot") \
        && break
    sleep 0.05
done
differ=$(compare -metric AE "$frame" "$shot" null: 2>&1)
[[ $differ == 0 ]] || fail "$differ pixels of the client area differ from the back buffer; see $shot"

xdotool mousemove "$((cx + 60 + 17))" "$((cy + 150 + 23))" click 1
for _ in $(seq 100); do
    grep -q '^up' "$out" && break
    sleep 0.05
done
grep -qx 'down 17 23' "$out" || fail "no press at (17, 23) of the window under the pointer"
grep -qx 'up 17 23' "$out" || fail "no release at (17, 23) of the window under the pointer"

xdotool key alt+F4
wait "$pid"; status=$?; pid=
[[ $status -eq 0 ]] || fail "probe exited $status (2: the close never ended its pump)"
grep -qx 'closed' "$out" || fail "the pump did not report the window closed"
echo "PASS: screen equals the back buffer, click and close round trip"
