#!/bin/sh
# Makes a sandbox installation of Ashgrove 1.01 for trying the sample patch: SANDBOX_DIR/game/
# (the game's files) and SANDBOX_DIR/registry.reg (REGEDIT4: the game key, its version record
# and two 3ds Max releases, so that the editor-tools page appears), plus SANDBOX_DIR/env.sh,
# which points the installer's registry, shortcut folders and temporary files into the sandbox.
# --wine writes Windows paths and imports the file into $WINEPREFIX with regedit.
# --lang CODE records ENG, GER, CZE or RUS as the installed edition; --lang ask records none,
# so the installer asks for the language.
# 3ds Max 5.1 is recognised by the version resource of its maxnet.dll, which the build makes
# beside DIST_DIR when the MinGW tools are there; without it only 3ds Max 6.0 is offered.
set -eu

usage() {
    echo "usage: make_sandbox.sh DIST_DIR SANDBOX_DIR [--wine] [--lang ENG|GER|CZE|RUS|ask]" >&2
    exit 2
}

[ $# -ge 2 ] || usage
dist=$1
sandbox=$2
shift 2
wine=no
lang=ENG
while [ $# -gt 0 ]; do
    case $1 in
    --wine) wine=yes ;;
    --lang) [ $# -ge 2 ] || usage; lang=$2; shift ;;
    *) usage ;;
    esac
    shift
done

# Language id and distribution code of the edition (the installer's language table).
case $lang in
ENG) language=1 distribution=789 ;;
GER) language=2 distribution=791 ;;
CZE) language=6 distribution=804 ;;
RUS) language=4 distribution=805 ;;
ask) language=0 distribution=789 ;;
*) usage ;;
esac

[ -f "$dist/patcher.cbf" ] || { echo "make_sandbox.sh: $dist has no patcher.cbf" >&2; exit 1; }
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$sandbox"
sandbox=$(cd "$sandbox" && pwd)

rm -rf "$sandbox/game" "$sandbox/3dsmax5" "$sandbox/3dsmax6" "$sandbox/home" "$sandbox/tmp"
cp -R "$here/sandbox/game" "$sandbox/game"
mkdir -p "$sandbox/3dsmax5" "$sandbox/3dsmax6/plugins" "$sandbox/home/Desktop" \
    "$sandbox/home/.local/share/applications" "$sandbox/tmp"
chmod 700 "$sandbox/tmp"
maxnet="$dist/../maxnet.dll"
if [ -f "$maxnet" ]; then
    cp "$maxnet" "$sandbox/3dsmax5/maxnet.dll"
else
    echo "make_sandbox.sh: no maxnet.dll beside $dist: only 3ds Max 6.0 will be found" >&2
fi

# A folder as the registry holds it, with its final separator, escaped for a REGEDIT4 string.
folder() {
    if [ $wine = yes ]; then
        path=$(winepath -w "$1" 2>/dev/null || printf 'Z:%s' "$1" | tr / '\\')
        printf '%s\\' "$path" | sed 's/\\/\\\\/g'
    else
        printf '%s/' "$1"
    fi
}

# A packed date: year - 1950 in bits 0-7, month in 8-11, day in 12-16.
packed_date() {
    printf 'dword:%08x' $(( (($1 + 98) & 255) | ($2 << 8) | ($3 << 12) ))
}

{
    printf 'REGEDIT4\n\n'
    printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnholt\\Ashgrove]\n'
    printf '"Install Dir"="%s"\n\n' "$(folder "$sandbox/game")"
    printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnholt\\Ashgrove\\Version Info]\n'
    printf '"Main version name"="1.00"\n'
    printf '"Main version"=dword:%08x\n' 100
    printf '"Main version time"=%s\n' "$(packed_date 2003 11 20)"
    printf '"Patch version name"="1.01"\n'
    printf '"Patch version"=dword:%08x\n' 101
    printf '"Patch version time"=%s\n' "$(packed_date 2004 2 10)"
    printf '"Marketing line"=dword:%08x\n' 1
    printf '"Distribution"=dword:%08x\n' $distribution
    if [ $language -ne 0 ]; then
        printf '"Language"=dword:%08x\n' $language
    fi
    printf '"Editor version"=dword:%08x\n\n' 100
    printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Autodesk\\3DSMAX\\5.0\\MAX-1:409]\n'
    printf '"uninstallpath"="%s"\n\n' "$(folder "$sandbox/3dsmax5")"
    printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Autodesk\\3DSMAX\\6.0]\n'
    printf '"Installdir"="%s"\n' "$(folder "$sandbox/3dsmax6")"
} >"$sandbox/registry.reg"

cat >"$sandbox/env.sh" <<ENV
# Source this before starting the installer on the sandbox: nothing outside it is touched.
export PATCHER_REGISTRY='$sandbox/registry.reg'
export HOME='$sandbox/home'
export XDG_DESKTOP_DIR='$sandbox/home/Desktop'
export XDG_DATA_HOME='$sandbox/home/.local/share'
export XDG_CONFIG_HOME='$sandbox/home/.config'
export XDG_RUNTIME_DIR='$sandbox/tmp'
export TMPDIR='$sandbox/tmp'
ENV

if [ $wine = yes ]; then
    # (Wine warns on stderr about its 32-bit half, which a 64-bit prefix does not need.)
    wine regedit /S "$(winepath -w "$sandbox/registry.reg" 2>/dev/null)" 2>/dev/null
fi
echo "sandbox: $sandbox (Ashgrove 1.01, $lang)"
