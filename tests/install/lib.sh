# Shared by the installation tests: sourced with the source folder in $SOURCE.
set -euo pipefail

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# converts PROGRAM FOLDER WORK: PROGRAM (the installed bin/raredozud)
# converts a copy of the example course from another folder, and the package
# is whole and was completed from FOLDER (the installed program folder):
# its player carries a mark put into FOLDER's copy here.
converts() {
  local program=$1 folder=$2 work=$3
  local mark="<!-- the installed player, $$ -->"
  echo "$mark" >>"$folder/player/index.htm"
  mkdir -p "$work/course" "$work/elsewhere"
  cp "$SOURCE/examples/course.txt" "$work/course/course.txt"
  (cd "$work/elsewhere" && "$program" convert ../course/course.txt >out.txt 2>err.txt) ||
    fail "$program convert: exit $?: $(cat "$work/elsewhere/err.txt")"
  [ "$(tail -n 1 "$work/elsewhere/out.txt")" = "Успех" ] || fail "no success line"
  local package=$work/course/course
  for f in imsmanifest.xml header.htm page2.htm test1.htm index.htm player/player.js; do
    [ -f "$package/$f" ] || fail "$f is not in the package"
  done
  [ "$(tail -n 1 "$package/index.htm")" = "$mark" ] ||
    fail "the copy step did not take the player from $folder"
  "$program" check "$work/course/course.zip" >"$work/check.txt" ||
    fail "the zip does not pass the check: $(cat "$work/check.txt")"
}
