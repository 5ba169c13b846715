#!/bin/sh
# Extracts the text of every .doc in a corpus folder with `raredozud text`
# and scores it against the reference texts.
# Usage: scripts/doc_score.sh [PROGRAM] [CORPUS] [REFERENCE] [OUT]
prog=${1:-build/app/raredozud}
corpus=${2:-/work/shared/corpus/poi}
ref=${3:-/work/shared/corpus/reference}
out=${4:-/tmp/doc_score}
rm -rf "$out" "$out.ref"
mkdir -p "$out" "$out.ref"
for f in "$corpus"/*.doc; do
  name=$(basename "$f")
  [ -f "$ref/$name.txt" ] && cp "$ref/$name.txt" "$out.ref/"
  if ! timeout 20 "$prog" text "$f" > "$out/$name.txt" 2> "$out/$name.err"; then
    echo "FAIL $name: $(head -c 200 "$out/$name.err")"
  fi
done
python3 /work/shared/tools/textcompare.py "$out.ref" "$out" --list
