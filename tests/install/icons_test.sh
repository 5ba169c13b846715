#!/usr/bin/env bash
# The icon files in packaging/ are the window's logo as it is drawn now, as
# far as the fonts of the machine leave it the same: the SVG but for where
# its text stands, the PNG an icon of its size (tools/raredozud_icons.cpp).
#   icons_test.sh ICONS_TOOL SOURCE
tool=$1 SOURCE=$2
. "$SOURCE/tests/install/lib.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
svg=$SOURCE/packaging/raredozud.svg png=$SOURCE/packaging/raredozud.png
"$tool" --check "$svg" "$png" 2>"$tmp/err.txt" || fail "$(cat "$tmp/err.txt")"

# What the check is for: a logo changed since (another colour), a PNG cut
# short or of another size.
refused() {
  if "$tool" --check "$1" "$2" 2>/dev/null; then fail "the check passed $1 with $2"; fi
}
sed 's/#1f3a68/#1f3a69/' "$svg" >"$tmp/changed.svg"
head -c 2000 "$png" >"$tmp/cut.png"
refused "$tmp/changed.svg" "$png"
refused "$svg" "$tmp/cut.png"
refused "$svg" "$SOURCE/docs/window.png"
