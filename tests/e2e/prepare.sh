#!/bin/sh
# Makes a course package for the end-to-end test, in a folder whose path has
# blanks and Cyrillic letters, the way a course author's folders look.
#   prepare.sh PROGRAM_FOLDER WORK_FOLDER fixture PACKAGE_FIXTURE
#       copies a hand-made package, writes its test pages from the template
#       and runs the copy script on it, as a conversion would;
#   prepare.sh PROGRAM_FOLDER WORK_FOLDER convert DOCUMENT
#       converts the document with the program (which runs the copy script).
# Prints the package folder.
set -eu
prog=$1 work=$2 mode=$3 src=$4
dir="$work/курс $mode"
rm -rf -- "$dir"
mkdir -p -- "$dir"
case $mode in
  fixture)
    out="$dir/$(basename -- "$src")"
    cp -R -- "$src" "$out"
    for data in "$out"/testdata*.htm; do
      [ -e "$data" ] || continue
      n=${data##*/testdata}
      n=${n%.htm}
      sed "s/%FILE=/testdata$n.htm/g" "$prog/sql_test.htm" > "$out/test$n.htm"
    done
    sh "$prog/copysql.sh" "$prog" "$out" >&2
    ;;
  convert)
    doc="$dir/$(basename -- "$src")"
    cp -- "$src" "$doc"
    name=$(basename -- "$src")
    out="$dir/${name%%.*}"
    # Status 1 is also a course with an error, which is written all the
    # same (some tests are about such courses): the package must be there.
    (cd "$dir" && "$prog/raredozud" convert "$doc" >&2) || [ $? -eq 1 ]
    ;;
  *)
    echo "prepare.sh: unknown mode $mode" >&2
    exit 2
    ;;
esac
[ -f "$out/index.htm" ] || { echo "prepare.sh: no package in $out" >&2; exit 1; }
printf '%s\n' "$out"
