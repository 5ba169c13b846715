#!/usr/bin/env bash
# The icon files in packaging/ are the window's logo as it is drawn now.
#   icons_test.sh ICONS_TOOL SOURCE
tool=$1 SOURCE=$2
. "$SOURCE/tests/install/lib.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$tool" "$tmp/raredozud.svg" "$tmp/raredozud.png" 2>"$tmp/err.txt" || fail "$(cat "$tmp/err.txt")"
for f in raredozud.svg raredozud.png; do
  cmp -s "$tmp/$f" "$SOURCE/packaging/$f" ||
    fail "packaging/$f is not the logo as drawn now: cmake --build build --target icons"
done
