#!/bin/sh
# Checks the sample distribution: the installer data and the four language files load without
# an error or a warning, every language file defines the same ids, the four archives verify,
# and the installer archive holds every file the installer asks for by name.
# Usage: check_dist.sh PATCHKIT SAMPLES_SOURCE_DIR DIST_DIR
set -u
patchkit=$1
source=$2
dist=$3
languages="ENG GER CZE RUS"
# shellcheck source=samples/check_support.sh
. "$(dirname "$0")/check_support.sh"

# lint prints warnings even when it exits 0; a sample must not have any.
for file in "$source/installer/patcher.txt" $(for l in $languages; do
    echo "$source/installer/Languages/$l.txt"; done); do
    if ! "$patchkit" lint "$file" >"$work/lint" 2>&1 || [ -s "$work/lint" ]; then
        fail "lint $file"
        cat "$work/lint" >&2
    fi
done

for language in $languages; do
    "$patchkit" dump "$source/installer/Languages/$language.txt" --lang "$language" \
        | cut -f1 >"$work/$language.ids" || fail "dump $language"
    [ -s "$work/$language.ids" ] || fail "$language defines no text"
    cmp -s "$work/ENG.ids" "$work/$language.ids" || fail "$language defines other ids than ENG"
done

for archive in patcher patch01 patch02 patch03; do
    "$patchkit" verify "$dist/$archive.cbf" >/dev/null || fail "verify $archive.cbf"
done

# Members the installer opens by name: icons, per-language files and the pictures named in
# the installer data (ids 200..219).
"$patchkit" list "$dist/patcher.cbf" | cut -f1 >"$work/members" || fail "list patcher.cbf"
{
    printf '%s\n' 'patcher.txt'
    for icon in combo combo_mo scroll_up scroll_up_mo scroll_dn scroll_dn_mo scroll_lf \
        scroll_lf_mo scroll_rg scroll_rg_mo slide slide_mo scrollbutton scrollbutton_down \
        scrollbutton_up scrollbutton_scroll; do
        printf 'Icons\\Icon_%s.tga\n' "$icon"
    done
    for icon in ft_file ft_dir ft_dir_o; do printf 'Icons\\%s.tga\n' "$icon"; done
    for language in $languages; do
        for extension in txt fnt la nws; do
            printf 'Languages\\%s.%s\n' "$language" "$extension"
        done
    done
    "$patchkit" dump "$source/installer/patcher.txt" --lang ENG \
        | awk -F'\t' '($1 >= 200 && $1 <= 219) || $1 == 301 { print $2 }' | sed 's/\\\\/\\/g'
} >"$work/expected"
while IFS= read -r member; do
    grep -qixF "$member" "$work/members" || fail "patcher.cbf lacks $member"
done <"$work/expected"
[ "$(wc -l <"$work/expected")" -eq 49 ] || fail "expected 49 named members, found $(wc -l <"$work/expected")"

# Each patch archive carries the common folder, the distribution folders and both
# editor-tools folders.
for archive in patch01 patch02 patch03; do
    "$patchkit" list "$dist/$archive.cbf" | cut -f1 >"$work/members"
    for folder in 'patch\' 'Distributions\789\' 'Distributions\791\' 'Distributions\804\' \
        'Distributions\805\' 'Distributions\Other\' 'MAX_5.1\' 'MAX_6.0\'; do
        grep -qiF "$folder" "$work/members" || fail "$archive.cbf has nothing in $folder"
    done
done

[ $failed -eq 0 ] && echo "sample distribution: OK"
exit $failed
