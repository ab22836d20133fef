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
# The sandbox's 3ds Max 5.1 is recognised by this library (built when the MinGW tools are there).
cp build/native/samples/maxnet.dll "$demo/" 2>/dev/null || true
if [[ $mode == wine ]]; then
    cp build/win64/patcher/patcher.exe "$demo/dist/"
    export WINEPREFIX=$demo/wineprefix
    bash toolchain/wine-run.sh --init
    bash samples/make_sandbox.sh "$demo/dist" "$demo/sandbox" --wine --lang ask
else
    cp build/native/patcher/patcher "$demo/dist/"
    bash samples/make_sandbox.sh "$demo/dist" "$demo/sandbox" --lang ask
fi
sandbox=$demo/sandbox
version_key='HKEY_LOCAL_MACHINE\SOFTWARE\Varnholt\Ashgrove\Version Info'

# The sandbox's files as PATH<TAB>CHECKSUM lines, and the version record as NAME=VALUE lines
# (numbers in decimal).
files() {
    (cd "$sandbox" && find game 3dsmax5 3dsmax6 home -type f -exec md5sum {} + |
        sed 's/^\([0-9a-f]*\)  \(.*\)$/\2\t\1/' | LC_ALL=C sort)
}
record() {
    local name value
    if [[ $mode == wine ]]; then
        wine reg query "$version_key" 2>/dev/null | tr -d '\r' |
            sed -n 's/^    \(.*\)    REG_[A-Z]*    \(.*\)$/\1=\2/p'
    else
        tr -d '\r' <"$sandbox/registry.reg" |
            KEY="[$version_key]" awk '/^\[/ { inside = ($0 == ENVIRON["KEY"]) } inside && /^"/' |
            sed 's/^"\([^"]*\)"=/\1=/'
    fi | while IFS='=' read -r name value; do
        case $value in
        dword:*) value=$((16#${value#dword:})) ;;
        0x*) value=$((value)) ;;
        esac
        # A date is packed as year - 1950 in bits 0-7, the month in 8-11, the day in 12-16.
        if [[ $name == *time && $value =~ ^[0-9]+$ ]]; then
            value=$(printf '%04d-%02d-%02d' $(((value & 255) + 1950)) $(((value >> 8) & 15)) \
                $(((value >> 12) & 31)))
        fi
        printf '%s=%s\n' "$name" "$value"
    done | LC_ALL=C sort -t= -k1,1
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
    # English is picked in the language dialog (the sandbox's record names no language).
    (source "$sandbox/env.sh" &&
        build/native/tools/patchkit tour "$demo/dist" "$demo/pages" --lang ENG) ||
        echo "demo: the tour ended with exit status $?" >&2
fi

files >"$demo/files.after"
record >"$demo/record.after"

step "what changed in the sandbox ($sandbox)"
LC_ALL=C join -t $'\t' -a 1 -a 2 -e - -o 0,1.2,2.2 "$demo/files.before" "$demo/files.after" |
    awk -F '\t' '$2 == "-" { printf "  added     %s\n", $1; next }
                 $3 == "-" { printf "  removed   %s\n", $1; next }
                 $2 != $3  { printf "  replaced  %s\n", $1; next }
                           { printf "  kept      %s\n", $1 }'
echo "version record ($version_key):"
LC_ALL=C join -t= -a 1 -a 2 -e '(none)' -o 0,1.2,2.2 "$demo/record.before" "$demo/record.after" |
    awk -F= '$2 != $3 { printf "  %-20s %s -> %s\n", $1, $2, $3 }'
if [[ -d $demo/pages ]]; then
    echo "pages shown: $(find "$demo/pages" -name '*.png' | wc -l) pictures in $demo/pages/"
fi
