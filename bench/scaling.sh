#!/usr/bin/env bash
# How time and memory grow with the document: large.docx whole, 10 and 100
# times over (its body repeated; and with each page's paragraphs repeated,
# the pages and tests alike), a document of 10,000 small pictures and
# one table of 50,000 cells, each through `convert` (the whole package) and
# `html` (one page). Prints the median wall time, the time per paragraph
# and per picture, and the peak memory; per paragraph and per picture stay
# flat when the work grows in proportion to the document.
#   bench/scaling.sh [BUILD_DIR]
# RUNS (default 3) runs of each at 1x and 10x, one at 100x and of the
# made documents; every run in a fresh folder. RDBENCH_TMP=/dev/shm runs in
# memory. SCALES (default "1 10 100") chooses the multiples. A run that
# makes no package (or no page) is shown as refused with the program's
# reason: a .docx part inflating past 64 MB is refused as damaged, which
# large.docx's body (3.7 MB) reaches beyond 17 times.
# Needs: GNU time, python3.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
prog="${builds[0]}/app/raredozud"
runs=${RUNS:-3}

# Makes the documents; prints one line per document: name, paragraphs,
# pictures.
python3 - "$here/tests/corpus/courses/large.docx" "$work" ${SCALES:-1 10 100} > "$work/documents" <<'PY'
import re, sys, zipfile, zlib, struct
src, out, scales = sys.argv[1], sys.argv[2], [int(s) for s in sys.argv[3:]]
z = zipfile.ZipFile(src)
doc = z.read("word/document.xml").decode()
head, rest = doc.split("<w:body>", 1)
body, tail = rest.rsplit("<w:sectPr", 1)
paras = len(re.findall(r"<w:p[ >]", body))
pics = body.count("<w:drawing")

def write(name, document, extra=()):
    with zipfile.ZipFile(f"{out}/{name}.docx", "w", zipfile.ZIP_DEFLATED, compresslevel=1) as o:
        for i in z.infolist():
            data = document.encode() if i.filename == "word/document.xml" else z.read(i.filename)
            if i.filename == "word/_rels/document.xml.rels":
                data = data.replace(b"</Relationships>", "".join(extra).encode() + b"</Relationships>")
            o.writestr(i.filename, data)
        if extra:
            o.writestr("word/media/tiny.png", png)

def png():  # a 2x2 picture
    def chunk(t, d):
        return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d))
    raw = b"\0\xff\0\0\0\xff\0" * 2
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 2, 2, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))
png = png()

for n in scales:
    write(f"large-x{n}", head + "<w:body>" + body * n + "<w:sectPr" + tail)
    print(f"large-x{n}", paras * n, pics * n)

# The same pages and tests, each page's own paragraphs N times over: a
# course stops at 1000 pages and tests (more is the run's "Subscript out of
# range"), so `convert` grows with its pages' length.
def longer_pages(n):
    in_test = False
    def grow(m):
        nonlocal in_test
        p = m.group(0)
        text = "".join(re.findall(r"<w:t(?: [^>]*)?>([^<]*)</w:t>", p))
        if "%TEST" in text: in_test = True
        elif "%H" in text: in_test = False
        return p if in_test or "%" in text else p * n
    return re.sub(r"<w:p[ >].*?</w:p>", grow, body, flags=re.S)

for n in scales:
    if n == 1: continue
    grown = longer_pages(n)
    write(f"pages-x{n}", head + "<w:body>" + grown + "<w:sectPr" + tail)
    print(f"pages-x{n}", len(re.findall(r"<w:p[ >]", grown)), grown.count("<w:drawing"))

p = lambda text: f"<w:p><w:r><w:t>{text}</w:t></w:r></w:p>"
pic = ('<w:p><w:r><w:drawing><wp:inline><wp:extent cx="190500" cy="190500"/>'
       '<wp:docPr id="{i}" name="p{i}" descr="a dot"/><a:graphic><a:graphicData '
       'uri="http://schemas.openxmlformats.org/drawingml/2006/picture"><pic:pic><pic:blipFill>'
       '<a:blip r:embed="rIdTiny"/></pic:blipFill></pic:pic></a:graphicData></a:graphic>'
       '</wp:inline></w:drawing></w:r></w:p>')
ns = (' xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main"'
      ' xmlns:pic="http://schemas.openxmlformats.org/drawingml/2006/picture"')
pictures = p("%H1=Pictures") + "".join(
    p(f"%H2=Page {k}") + "".join(pic.format(i=k * 100 + i) for i in range(100)) for k in range(100))
rel = ('<Relationship Id="rIdTiny" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
       'relationships/image" Target="media/tiny.png"/>')
write("pictures-10000", head.replace("<w:document ", "<w:document" + ns + " ", 1) + "<w:body>" +
      pictures + "<w:sectPr" + tail, [rel])
print("pictures-10000", 10101, 10000)
cell = lambda i: f"<w:tc><w:p><w:r><w:t>c{i}</w:t></w:r></w:p></w:tc>"
table = "<w:tbl>" + "".join("<w:tr>" + "".join(cell(r * 5 + c) for c in range(5)) + "</w:tr>"
                            for r in range(10000)) + "</w:tbl>"
write("table-50000", head + "<w:body>" + p("%H2=A table") + table + p("The end.") +
      "<w:sectPr" + tail)
print("table-50000", 50002, 0)
PY

once() {  # document, command, run: prints "seconds peak-KiB exit-status made"
  local dir="$work/run-$1-$2-$3"
  mkdir "$dir"
  cp "$work/$1.docx" "$dir/d.docx"
  (
    cd "$dir"
    local args=(convert d.docx)
    [ "$2" = html ] && args=(html d.docx d.htm)
    /usr/bin/time -f '%e %M %x' -o time.txt "$prog" "${args[@]}" > out.txt 2>&1 || true
    local made=1 what=d.zip
    [ "$2" = html ] && what=d.htm
    [ -f "$what" ] || made=0
    [ "$made" = 1 ] || grep -m1 -i 'error' out.txt >&2 || true
    echo "$(tail -1 time.txt) $made"
  )
  rm -rf "$dir"
}

printf '%-16s %-8s %7s %7s %9s %10s %10s %10s\n' document command paras pics median \
  "µs/para" "µs/pic" "peak MiB"
while read -r doc paras pics; do
  n=$runs
  case "$doc" in large-x1) ;; large-x10) ;; pages-x10) ;; *) n=1 ;; esac
  for command in convert html; do
    ts=() mem=0 refused=0
    for ((i = 1; i <= n; i++)); do
      read -r t m x made < <(once "$doc" "$command" "$i")
      # exit 1 with a whole package is a course with errors; more is a failure
      [ "$x" -le 1 ] || echo "$doc $command: run $i ended with status $x" >&2
      [ "$made" = 1 ] || refused=1
      ts+=("$t")
      ((m > mem)) && mem=$m
    done
    if [ "$refused" = 1 ]; then
      printf '%-16s %-8s %7d %7d %9s\n' "$doc" "$command" "$paras" "$pics" refused
      continue
    fi
    python3 - "$doc" "$command" "$paras" "$pics" "$mem" "${ts[@]}" <<'PY'
import statistics, sys
doc, command, paras, pics, mem = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
t = statistics.median(float(x) for x in sys.argv[6:])
per = lambda n: "%10.1f" % (t / n * 1e6) if n else "%10s" % "-"
print("%-16s %-8s %7d %7d %8.3fs %s %s %10.1f" % (doc, command, paras, pics, t, per(paras), per(pics), mem / 1024))
PY
  done
done < "$work/documents"
