#!/usr/bin/env bash
# Peak memory of reading plain text, against the file's size: `text` and
# `lint` should stay within 4 times the file, `convert` (which also holds the
# page it copies and writes) should grow in step with it.
#   bench/text_memory.sh [BUILD_DIR...]
# SIZES (MiB, default "25 50 100 200") sets the files; each is a course of
# about 500 pages in one of three shapes: prose (a paragraph a line of about
# 300 characters, a blank line between them) in English (ASCII: two bytes a
# character once read) and in Russian (UTF-8: one), and lines (English lines
# of about 40 characters, as a list or a quiz has them: the paragraphs'
# table then weighs as much as the text). Every conversion runs in a fresh
# folder.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
sizes=(${SIZES:-25 50 100 200})

# A course of about $1 MiB of shape $2 at $3.
make_course() {
  python3 - "$1" "$2" "$3" <<'PY'
import sys
mib, shape, path = int(sys.argv[1]), sys.argv[2], sys.argv[3]
words = ("пол должен быть сухим и каждую лужу вытирают сразу чтобы никто не поскользнулся "
         "когда несёт коробки через зал").split() if shape == "prose-ru" else \
        ("the floor must be kept dry and every spill is wiped at once so nobody slips "
         "while carrying boxes through the hall").split()
para = " ".join(words[i % len(words)] for i in range(48)) + ".\n\n"
if shape == "lines":
    para = "a) the floor must be kept dry always.\n"
target = mib << 20
per_page = max(1, target // 500)
with open(path, "w", encoding="utf-8") as f:
    f.write("%TITLE=Memory\n")
    written, page = 0, 0
    while written < target:
        page += 1
        head = "%%H2=Page %d\n" % page
        f.write(head)
        written += len(head.encode())
        in_page = 0
        while in_page < per_page and written < target:
            line = para
            f.write(line)
            n = len(line.encode())
            written += n
            in_page += n
PY
}

# Peak resident memory in MiB of the command after "--", run in $1.
peak() {
  local dir=$1
  shift 2
  (cd "$dir" && /usr/bin/time -f '%M' -o "$work/peak" "$@" > /dev/null 2>&1) || true
  # The last line: before it, time may say that the command exited with 1.
  tail -n 1 "$work/peak" | awk '{ printf "%.0f", $1 / 1024 }'
}

printf '%-12s %-8s %8s %8s %6s %8s %6s %9s %6s\n' build shape "file MiB" "text" "x" "lint" "x" \
  "convert" "x"
for b in "${builds[@]}"; do
  prog="$b/app/raredozud"
  for shape in prose-en prose-ru lines; do
    for mib in "${sizes[@]}"; do
      src="$work/src-$shape-$mib"
      mkdir -p "$src"
      make_course "$mib" "$shape" "$src/course.txt"
      size=$(stat -c %s "$src/course.txt")
      file=$(awk -v s="$size" 'BEGIN { printf "%.1f", s / 1048576 }')
      t=$(peak "$src" -- "$prog" text course.txt)
      l=$(peak "$src" -- "$prog" lint course.txt)
      run="$work/run-$shape-$mib-$RANDOM"
      mkdir "$run"
      cp "$src/course.txt" "$run/"
      c=$(peak "$run" -- "$prog" convert course.txt)
      rm -rf "$run" "$src"
      ratio() { awk -v p="$1" -v f="$file" 'BEGIN { printf "%.2f", p / f }'; }
      printf '%-12s %-8s %8s %8s %6s %8s %6s %9s %6s\n' "$(build_name "$b")" "$shape" "$file" \
        "$t" "$(ratio "$t")" "$l" "$(ratio "$l")" "$c" "$(ratio "$c")"
    done
  done
done
