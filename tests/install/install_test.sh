#!/usr/bin/env bash
# `cmake --install` into a DESTDIR under a prefix of its own: the link in
# bin/ leads to the program folder, and the program run through it converts
# the example course with the installed data.
#   install_test.sh CMAKE BUILD SOURCE
cmake=$1 build=$2 SOURCE=$3
. "$SOURCE/tests/install/lib.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

DESTDIR=$tmp/dest "$cmake" --install "$build" --prefix /opt/rd >"$tmp/install.log" ||
  fail "install: $(cat "$tmp/install.log")"
root=$tmp/dest/opt/rd
[ "$(readlink "$root/bin/raredozud")" = ../lib/raredozud/raredozud ] ||
  fail "bin/raredozud is not a link to the program folder's program"
for f in raredozud raredozud-pictures copysql.sh player/index.htm schemas/imscp_v1p1.xsd examples/course-template.docx \
  examples/course-template.doc; do
  [ -f "$root/lib/raredozud/$f" ] || fail "lib/raredozud/$f is not installed"
done
converts "$root/bin/raredozud" "$root/lib/raredozud" "$tmp/work"
