# Sourced by the sample's checks: a temporary work folder, removed on exit, and fail, which
# prints a failure on one line and marks the check failed.
# shellcheck shell=sh disable=SC2034
failed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    failed=1
}
