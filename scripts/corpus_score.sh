#!/bin/sh
# Extracts the text of every corpus document with the given extensions and
# scores it against the reference texts.
#   scripts/corpus_score.sh [-b BUILD_DIR] [-o OUT_DIR] [-l] EXT...
# e.g. scripts/corpus_score.sh docx docm dotx
# Writes OUT_DIR/NAME.txt per document (empty when it failed to open, with
# the error in OUT_DIR/NAME.err) and prints textcompare's report for the
# documents of those extensions that have a reference (-l: every file).
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build"
out=""
list=""
corpus=${CORPUS:-/work/shared/corpus}
tools=${TOOLS:-/work/shared/tools}
while getopts b:o:l opt; do
  case $opt in
    b) build=$OPTARG ;;
    o) out=$OPTARG ;;
    l) list=--list ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -gt 0 ] || { echo "usage: $0 [-b BUILD] [-o OUT] [-l] EXT..." >&2; exit 2; }
[ -n "$out" ] || out=$(mktemp -d /tmp/corpus_score.XXXXXX)
prog="$build/app/raredozud"
[ -x "$prog" ] || { echo "no program at $prog" >&2; exit 2; }
mkdir -p "$out/text" "$out/ref"
rm -f "$out"/text/* "$out"/ref/*
failed=0
for ext in "$@"; do
  for f in "$corpus"/poi/*."$ext"; do
    [ -e "$f" ] || continue
    name=$(basename "$f")
    if ! timeout 60 "$prog" text "$f" >"$out/text/$name.txt" 2>"$out/text/$name.err"; then
      failed=$((failed + 1))
      echo "failed: $name: $(head -c 300 "$out/text/$name.err")"
    fi
    [ -e "$corpus/reference/$name.txt" ] && cp "$corpus/reference/$name.txt" "$out/ref/"
  done
done
echo "documents that failed to open: $failed"
python3 "$tools/textcompare.py" "$out/ref" "$out/text" $list
echo "texts in $out/text"
