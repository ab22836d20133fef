#!/bin/bash
# bootstrap.sh [--i386] - install the build and test tools of patcher on Debian 12 (run as root).
# Idempotent and quiet: installs only what is missing (nothing to do: ~0.1 s, no network),
# prints one line, and apt's log only on failure.
#   native:  cmake ninja g++ clang (sanitizers, libFuzzer) clang-format GoogleTest, libjpeg
#            libfreetype libpng libfontconfig with their static archives (libbrotli, libexpat)
#   windows: MinGW-w64 g++ x86_64 + i686 (posix threads), wine64, Wine's fonts,
#            dpkg-dev (apt-get source for the third-party cross builds)
#   windows: Xvfb, ImageMagick (import/convert), xdotool for windowed tests
#   kit:     Google Benchmark, hyperfine, ncompress (the reference LZW), fontconfig and a sans face
#            (DejaVu), desktop-file-utils
#   --i386:  also wine32:i386, to run i686 programs (see README.md: needs a fallback today)
set -euo pipefail
want_i386=0
for arg; do
    case $arg in
        --i386) want_i386=1 ;;
        *) echo "usage: bootstrap.sh [--i386]" >&2; exit 2 ;;
    esac
done
[[ $EUID -eq 0 ]] || { echo "bootstrap.sh: run as root" >&2; exit 1; }

pkgs=(
    cmake ninja-build g++ gdb pkg-config clang libclang-rt-14-dev
    clang-format googletest libgtest-dev libgmock-dev
    libjpeg62-turbo-dev libfreetype-dev libpng-dev zlib1g-dev libbrotli-dev libexpat1-dev
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix dpkg-dev
    wine wine64 fonts-wine
    # X client libraries that Wine's X11 driver loads at run time (libwine only recommends them)
    libxcomposite1 libxcursor1 libxfixes3 libxi6 libxinerama1 libxrandr2 libxrender1 libxxf86vm1
    xvfb xauth imagemagick xdotool
    libbenchmark-dev hyperfine ncompress libfontconfig-dev fonts-dejavu-core desktop-file-utils
)
i386_pkgs=(wine32:i386)

start=$SECONDS
log=$(mktemp)
trap 'rm -f "$log" "$log.prefs"' EXIT
export DEBIAN_FRONTEND=noninteractive
apt_get() { apt-get -q -y -o DPkg::Lock::Timeout=300 "$@" >>"$log" 2>&1; }
fail() { tail -n 40 "$log" >&2; echo "bootstrap.sh: $*" >&2; exit 1; }
missing() {  # the packages of "$@" that are not installed
    local p
    for p; do
        [[ $(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null) == ii* ]] || echo "$p"
    done
}

mapfile -t todo < <(missing "${pkgs[@]}")
todo_i386=()
if ((want_i386)); then mapfile -t todo_i386 < <(missing "${i386_pkgs[@]}"); fi
if ((${#todo[@]} + ${#todo_i386[@]} == 0)); then
    echo "bootstrap.sh: all present"
    exit 0
fi

if ((${#todo_i386[@]})) && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
# "E: Failed to fetch ..." for one index makes apt-get update exit 100 while the rest is fine
# (seen for bookworm-security i386: "File has unexpected size"), so only warn here.
apt_get update || echo "bootstrap.sh: warning: apt-get update reported errors (see below if install fails)"

if ((${#todo[@]})); then
    apt_get install --no-install-recommends "${todo[@]}" || fail "install failed"
fi

if ((${#todo_i386[@]})); then
    if ! apt_get install --no-install-recommends "${todo_i386[@]}"; then
        # i386 libraries must have the same version as their amd64 twins. Without the i386
        # index of bookworm-security, only bookworm's versions exist for i386, so take those
        # for both architectures for this one transaction (this may downgrade amd64 libraries
        # that came from bookworm-security to the point-release version).
        printf 'Package: *\nPin: release n=bookworm\nPin-Priority: 1001\n' >"$log.prefs"
        apt_get -o Dir::Etc::Preferences="$log.prefs" install --no-install-recommends \
            --allow-downgrades "${todo_i386[@]}" || fail "wine32:i386 install failed"
    fi
    echo "bootstrap.sh: wine32 installed: delete existing wineprefix folders (they lack 32-bit parts)"
fi
echo "bootstrap.sh: installed $((${#todo[@]} + ${#todo_i386[@]})) requested packages in $((SECONDS - start)) s"
