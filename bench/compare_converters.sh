#!/usr/bin/env bash
# Times whole conversions of the large sample course: raredozud (the whole
# package, copy step and zip included) from .doc, .docx and .odt, for one or
# more build folders, and, where installed, other converters that write one
# HTML page of the same document. As a floor, it times merely copying the
# finished package of large.doc and every zip beside it (cp -r) into a fresh
# folder. Prints each one's median wall time and peak memory.
#   bench/compare_converters.sh [BUILD_DIR...]
# RUNS (default 20) runs of each; the variants take turns run by run, so a
# busy spell of the machine falls on all of them alike. Every run converts a
# fresh copy of the document under a name of its own into a folder of its
# own: re-creating a tree just deleted would time the file system.
# RDBENCH_TMP=/dev/shm runs it in memory, away from the disk's own costs.
# RDBENCH_OTHERS=0 leaves out the other converters; RDBENCH_FORMATS (default
# "doc docx odt") chooses the documents. Beside the whole package it times
# the first build's converter without its copy step (RDBENCH_ALONE=0 leaves
# that out).
# Needs: GNU time, python3; for the comparisons pandoc, soffice, wvHtml.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
courses="$here/tests/corpus/courses"

# Each variant: a label, the document's extension, and a command run in its
# own folder with the document's name as its last word.
labels=() exts=() cmds=()
add() { labels+=("$1"); exts+=("$2"); cmds+=("$3"); }
for ext in ${RDBENCH_FORMATS:-doc docx odt}; do
  for b in "${builds[@]}"; do
    add "raredozud $(build_name "$b") .$ext" "$ext" \
      "$(printf '%q' "$b/app/raredozud") convert"
  done
done
# The converter alone, without its copy step (a program folder of the first
# build whose copy script does nothing): what is left when the copy step
# costs nothing. RDBENCH_ALONE=0 leaves it out.
if [ "${RDBENCH_ALONE:-1}" != 0 ]; then
  mkdir "$work/alone"
  cp -r "${builds[0]}/app/." "$work/alone/"
  echo 'exit 0' > "$work/alone/copysql.sh"
  for ext in ${RDBENCH_FORMATS:-doc docx odt}; do
    add "raredozud $(build_name "${builds[0]}") .$ext alone" "$ext" \
      "$(printf '%q' "$work/alone/raredozud") convert"
  done
fi
# The finished package of the first build, for the copy: the folder and
# every zip beside it, as the conversion leaves them.
mkdir "$work/finished"
cp "$courses/large.doc" "$work/finished/"
(cd "$work/finished" && "${builds[0]}/app/raredozud" convert large.doc > /dev/null)
finished=("$work/finished/large" "$work/finished"/large*.zip)
add "cp -r of the finished package" pkg "cp -r $(printf '%q ' "${finished[@]}")"
if [ "${RDBENCH_OTHERS:-1}" != 0 ]; then
  command -v soffice > /dev/null &&
    add "soffice --convert-to html .doc" doc "soffice --headless --convert-to html --outdir out"
  command -v wvHtml > /dev/null && add "wvHtml .doc" doc "wvHtml_to_out"
  command -v pandoc > /dev/null && add "pandoc -t html .docx" docx "pandoc -f docx -t html -o out.html"
fi
wvHtml_to_out() { wvHtml "$1" out.html; }

once() {  # variant, run number: prints the wall and CPU seconds of one conversion
  local v=$1 i=$2 dir="$work/r$2-v$1"
  mkdir "$dir"
  local target="large-$i-$v.${exts[$v]}"
  if [ "${exts[$v]}" = pkg ]; then
    target=.
  else
    cp "$courses/large.${exts[$v]}" "$dir/$target"
  fi
  (
    cd "$dir"
    t0=$EPOCHREALTIME
    eval "${cmds[$v]} $target" > /dev/null 2>&1 || exit 1
    t1=$EPOCHREALTIME
    # The second line of `times`: user and system time of this run's
    # processes, the copy step's included.
    times > ../times-$i-$v  # a builtin: run here, not in a subshell that has no children
    awk -v a="$t0" -v b="$t1" -v c="$(tail -1 ../times-$i-$v)" 'BEGIN {
      split(c, f, /[ms]+/); printf "%.4f %.4f\n", b - a, f[1] * 60 + f[2] + f[3] * 60 + f[4] }'
  )
}

declare -A times cpus
for ((i = 1; i <= runs; i++)); do
  for v in "${!labels[@]}"; do
    read -r t c < <(once "$v" "$i" || true)
    times[$v]+="${t:-} "
    cpus[$v]+="${c:-} "
  done
  printf '\rrun %d of %d' "$i" "$runs" >&2
done
echo >&2

# CPU: the median of user and system time together; with two cores the
# wall time cannot fall below half of it.
printf '%-40s %9s %9s %9s %12s\n' "converter" "median" "spread" "CPU" "peak memory"
for v in "${!labels[@]}"; do
  dir="$work/mem-v$v"
  mkdir "$dir"
  target=m.${exts[$v]}
  if [ "${exts[$v]}" = pkg ]; then target=.; else cp "$courses/large.${exts[$v]}" "$dir/$target"; fi
  mem=$(cd "$dir" && /usr/bin/time -f '%M' -o "$work/mem" bash -c "$(declare -f wvHtml_to_out); ${cmds[$v]} $target" > /dev/null 2>&1; tail -1 "$work/mem")
  cpu=$(printf '%s\n' ${cpus[$v]} | sort -n | awk '{ a[NR] = $1 } END { if (NR) printf "%.3fs", a[int((NR + 1) / 2)] }')
  result_row "${labels[$v]}" "$(printf '%9s %9s KiB' "$cpu" "$mem")" ${times[$v]}
done
