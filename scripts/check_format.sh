#!/usr/bin/env bash
# check_format.sh - fails when a tracked .cpp or .h file differs from what clang-format makes of
# it with the repository's .clang-format, and names the files. `make format` rewrites them.
set -uo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! command -v clang-format >/dev/null; then
    echo "check_format.sh: clang-format is missing (toolchain/bootstrap.sh installs it)" >&2
    exit 1
fi
report=$(printf '%s\0' "${files[@]}" | xargs -0 clang-format --dry-run -Werror 2>&1)
if (($?)); then
    unformatted=$(sed -n 's/^\([^: ]*\):[0-9]*:[0-9]*: error: .*/\1/p' <<<"$report" | sort -u)
    printf 'not formatted (run make format):\n%s\n' "${unformatted:-$report}" | sed '2,$s/^/  /'
    exit 1
fi
printf 'format: %d files as clang-format writes them\n' "${#files[@]}"
