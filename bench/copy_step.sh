#!/usr/bin/env bash
# Times the copy step that completes a converted package (course player,
# schemas, scripts, zips) for the large sample course, against merely
# copying the finished package and every zip beside it with cp -r.
#   bench/copy_step.sh [BUILD_DIR...]
# Each run starts from a fresh copy of the converted folder (not timed), in
# a folder of its own; the variants take turns run by run. RUNS (default 20)
# runs each; RDBENCH_TMP=/dev/shm runs it in memory.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

# The conversion alone: a program folder whose copy script does nothing.
mkdir "$work/prog" "$work/converted" "$work/finished"
cp -r "${builds[0]}/app/raredozud" "${builds[0]}/app/sql_test.htm" "$work/prog/"
echo 'exit 0' > "$work/prog/copysql.sh"
cp "$here/tests/corpus/courses/large.doc" "$work/converted/"
(cd "$work/converted" && "$work/prog/raredozud" convert large.doc > /dev/null)
cp -r "$work/converted/large" "$work/finished/"
sh "${builds[0]}/app/copysql.sh" "${builds[0]}/app" "$work/finished/large" 2> /dev/null

labels=() cmds=()
for b in "${builds[@]}"; do
  labels+=("copy step $(build_name "$b")")
  cmds+=("sh $(printf '%q' "$b/app/copysql.sh") $(printf '%q' "$b/app") large")
done
labels+=("cp -r of the finished package")
finished=("$work/finished/large" "$work/finished"/large*.zip)
cmds+=("cp -r $(printf '%q ' "${finished[@]}") copy")

declare -A times
for ((i = 1; i <= runs; i++)); do
  for v in "${!labels[@]}"; do
    dir="$work/r$i-v$v"
    mkdir "$dir" "$dir/copy"
    cp -r "$work/converted/large" "$dir/"
    t=$(cd "$dir" && t0=$EPOCHREALTIME && eval "${cmds[$v]}" > /dev/null 2>&1 &&
      awk -v a="$t0" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.4f\n", b - a }') || t=""
    times[$v]+="$t "
  done
  printf '\rrun %d of %d' "$i" "$runs" >&2
done
echo >&2
printf '%-40s %9s %9s\n' "step" "median" "spread"
for v in "${!labels[@]}"; do
  result_row "${labels[$v]}" "" ${times[$v]}
done
