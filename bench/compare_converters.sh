#!/usr/bin/env bash
# Converts the large sample course with raredozud (the whole package) and,
# side by side in the same run, with other converters that write one HTML
# page of the same document. Prints wall time (median of RUNS) and peak
# memory of each. The other tools are optional: a missing one is skipped.
#   bench/compare_converters.sh [BUILD_DIR] [RUNS]
# Needs: hyperfine, GNU time; for the comparisons pandoc, soffice, wvHtml.
# RDBENCH_TMP=/dev/shm runs it in memory, away from the disk's own costs.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
runs=${2:-5}
prog="$build/app/raredozud"
courses="$here/tests/corpus/courses"
work=$(mktemp -d "${RDBENCH_TMP:-/tmp}/rdbench.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$courses/large.doc" "$courses/large.docx" "$work/"
cd "$work"

peak_kb() {  # peak resident memory of one run of "$@", in KiB
  /usr/bin/time -f '%M' -o "$work/mem" "$@" > /dev/null 2>&1 || true
  cat "$work/mem"
}

last=""  # the median of the last row, for the ratios
row() {  # name, command...
  local name=$1; shift
  last=""
  hyperfine --style none --runs "$runs" --warmup 1 --export-json "$work/t.json" \
    "$(printf '%q ' "$@")" > /dev/null 2>&1 || { printf '%-34s failed\n' "$name"; return; }
  local median
  median=$(python3 -c 'import json,sys; print("%.3f" % json.load(open(sys.argv[1]))["results"][0]["median"])' "$work/t.json")
  printf '%-34s %9s s %10s KiB\n' "$name" "$median" "$(peak_kb "$@")"
  last=$median
}

ratio() {  # ours, theirs: how many times faster we are
  [ -n "$1" ] && [ -n "$2" ] && python3 -c 'import sys; print("%34s %8.1fx faster" % ("", float(sys.argv[2]) / float(sys.argv[1])))' "$1" "$2"
  return 0
}

printf '%-34s %11s %14s\n' "converter" "median" "peak memory"
echo "large.docx:"
row "raredozud convert (package)" "$prog" convert large.docx
ours=$last
if command -v pandoc > /dev/null; then
  row "pandoc -f docx -t html (one page)" pandoc -f docx -t html -o large_pandoc.html large.docx
  ratio "$ours" "$last"
fi
echo "large.doc:"
row "raredozud convert (package)" "$prog" convert large.doc
ours=$last
if command -v soffice > /dev/null; then
  row "soffice --convert-to html" soffice --headless --convert-to html --outdir "$work/so" large.doc
  ratio "$ours" "$last"
fi
if command -v wvHtml > /dev/null; then
  row "wvHtml (one page)" wvHtml large.doc large_wv.html
  ratio "$ours" "$last"
fi
