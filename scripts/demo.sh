#!/usr/bin/env bash
# make demo: builds the sample distribution into build/demo/dist/, makes a sandbox installation
# of the game in build/demo/sandbox/ (its folder and its registry: a private POSIX registry file,
# or a private Wine prefix), runs the installer on it and prints what changed.
#
# With a display (DISPLAY set, or PATCHER_DEMO=wine) the Windows program runs under Wine in a
# real window for you to click through; without one (or PATCHER_DEMO=headless) the native
# program runs headlessly, clicked through by `patchkit tour`, which writes a PNG of every page
# shown into build/demo/pages/. Nothing outside the build tree is touched.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
demo=$root/build/demo
mode=${PATCHER_DEMO:-$([[ -n ${DISPLAY:-} ]] && echo wine || echo headless)}
[[ $mode == wine || $mode == headless ]] || { echo "demo: PATCHER_DEMO is wine or headless" >&2; exit 2; }

step() { printf '== %s\n' "$*"; }
build() {  # preset targets...
    local preset=$1; shift
    [[ -f build/$preset/build.ninja ]] || cmake --preset "$preset" >/dev/null
    cmake --build "build/$preset" --target "$@" -- --quiet | { grep -v '^ninja: no work to do' || true; }
}

step "tools"
bash toolchain/bootstrap.sh
step "building the installer, patchkit and the sample distribution"
build native patcher_program patchkit sample_dist
[[ $mode == headless ]] || build win64 patcher_program

rm -rf "$demo"
mkdir -p "$demo"
cp -r build/native/samples/dist "$demo/dist"
if [[ $mode == wine ]]; then
    cp build/win64/patcher/patcher.exe "$demo/dist/"
    export WINEPREFIX=$demo/wineprefix
    bash toolchain/wine-run.sh --init
    bash samples/make_sandbox.sh "$demo/dist" "$demo/sandbox" --wine --lang ask
else
    cp build/native/patcher/patcher "$demo/dist/"
    bash samples/make_sandbox.sh "$demo/dist" "$demo/sandbox"
fi
sandbox=$demo/sandbox
version_key='HKEY_LOCAL_MACHINE\SOFTWARE\Varnholt\Ashgrove\Version Info'

# The sandbox's files with their checksums, and the version record as NAME=VALUE lines.
files() { (cd "$sandbox" && find game 3dsmax5 3dsmax6 home -type f -exec md5sum {} + | sort -k2); }
record() {
    if [[ $mode == wine ]]; then
        wine reg query "$version_key" 2>/dev/null | tr -d '\r' |
            awk 'NF >= 3 && $0 ~ /REG_/ { sub(/^ +/, ""); split($0, f, /    /); print f[1] "=" f[3] }'
    else
        awk -v key="[${version_key}]" '/^\[/ { inside = ($0 == key) } inside && /^"/' \
            "$sandbox/registry.reg" | sed 's/^"\([^"]*\)"=/\1=/'
    fi
}
files >"$demo/files.before"
record >"$demo/record.before"

if [[ $mode == wine ]]; then
    step "the installer under Wine: click through it in its window"
    (cd "$demo/dist" && bash "$root/toolchain/wine-run.sh" patcher.exe) || true
    wineserver -w 2>/dev/null || true
else
    step "the installer, headless, clicked through by patchkit tour"
    # shellcheck source=/dev/null
    (source "$sandbox/env.sh" && build/native/tools/patchkit tour "$demo/dist" "$demo/pages") ||
        echo "demo: the tour ended with exit status $?" >&2
fi

files >"$demo/files.after"
record >"$demo/record.after"

step "what changed in the sandbox ($sandbox)"
join -1 2 -2 2 -a 1 -a 2 -e - -o 0,1.1,2.1 "$demo/files.before" "$demo/files.after" |
    awk '$2 == "-"  { printf "  added     %s\n", $1; next }
         $3 == "-"  { printf "  removed   %s\n", $1; next }
         $2 != $3   { printf "  replaced  %s\n", $1; next }
                    { kept++ }
         END        { printf "  kept      %d files unchanged\n", kept }'
echo "version record ($version_key):"
join -t= -a 1 -a 2 -e '(none)' -o 0,1.2,2.2 <(sort "$demo/record.before") <(sort "$demo/record.after") |
    awk -F= '$2 != $3 { printf "  %-20s %s -> %s\n", $1, $2, $3 }'
if [[ -d $demo/pages ]]; then
    echo "pages shown: $(find "$demo/pages" -name '*.png' | wc -l) pictures in $demo/pages/"
fi
