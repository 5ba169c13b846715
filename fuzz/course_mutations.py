#!/usr/bin/env python3
"""A mutation campaign over the course grammar: courses with their lines and
markers moved, doubled, cut and inserted, as plain text or as Word documents
or OpenDocument texts (lines in table cells, notes, text boxes and
alternative texts, parts of them formatted), each through lint, convert and check. It looks for a
crash, a sanitizer report or a hang; for a package that convert calls whole
(exit 0) and check faults; for lint and convert disagreeing on whether the
course has an error; and for a test that the quiz page's reader
(quiz_verdicts.js, under node) and check judge differently.
  fuzz/course_mutations.py PROGRAM SECONDS [OUTDIR] [SEED.txt...]
PROGRAM is raredozud, best from a build with RAREDOZUD_SANITIZE=ON. Seeds
default to the example courses and the text of the template and small.docx.
What it finds goes into OUTDIR/found (default /tmp/course-mutations): the
course, and beside it why."""
import glob, os, random, re, shutil, subprocess, sys, tempfile, time

import quiz_judge

here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
bin_, seconds = os.path.abspath(sys.argv[1]), float(sys.argv[2])
out = sys.argv[3] if len(sys.argv) > 3 else "/tmp/course-mutations"
os.makedirs(out + "/found", exist_ok=True)


def seed_lines():
    given = sys.argv[4:]
    if given:
        return [open(s, encoding="utf-8").read().splitlines() for s in given]
    seeds = [open(os.path.join(here, p), encoding="utf-8").read().splitlines()
             for p in ("examples/course.txt", "tests/corpus/courses/unshowable_test.txt")]
    for doc in ("examples/course-template.docx", "tests/corpus/courses/small.docx"):
        text = subprocess.run([bin_, "text", os.path.join(here, doc)], capture_output=True).stdout
        seeds.append(text.decode("utf-8", "replace").splitlines())
    return seeds


seeds = seed_lines()
rng = random.Random(time.time_ns() ^ os.getpid())  # two campaigns started at once differ
NUMS = ["0", "-1", "1", "10", "11", "12", "99", "2147483647", "2147483648", "99999999999999999999",
        "abc", "", " 12", "12 ", "1e3", "０", "١٢"]
TEXTS = ["", " ", "X", "Страница", "<script>alert(1)</script>", "\"'&<>", "a" * 3000, "\t", "%",
         "%%", "%H1=", "ä\u0301", "\u202e", "\ufeff", "\x0b", "\x1f", "🙂", "]]>", "</title>", "--><!--"]
MARKERS = ["%H1=", "%H1#", "%H2=", "%TEST=", "%PID=", "%TITLE=", "%AUTHOR=", "%A=", "%A#", "%FILE=",
           "%MANIFEST_END", "%h2=", "%H3=", "% H2="]
ANSWERS = ["1. Q?", "2. Q2?", "*a) right", "a) wrong", "*b) b", "b) b", "c)", "*", "1.", "0. zero?",
           "10. ten?", "*z) z", "a)", "1) x", "A. one", "B. two", "ANSWER: A", "ANSWER: b ; a",
           "answer :  b ; a", "= one", "=", "@ why", "@", "*Б) нет", "а) да", "a.b) x", "b)\t*two",
           "*c)\t*y", "e.g. this?", "%TEST_END", "b) no%TEST_END", "x &#8804; 1?", "*a) &#8364;5",
           "d) all of the above", "*e) a and b", "Q? a) one b) two"]


def marker_line():
    m = rng.choice(MARKERS)
    if m in ("%PID=", "%A="):
        tail = rng.choice(NUMS) + (rng.choice([" link", " link%A#", "%A#", ""]) if m == "%A=" else "")
    elif m.endswith("="):
        tail = rng.choice(TEXTS)
    else:
        tail = ""
    return m + tail


def mutate(lines):
    lines = list(lines)
    for _ in range(rng.randrange(1, 6)):
        k = rng.randrange(8)
        at = rng.randrange(len(lines) + 1)
        if k == 0 and lines:
            del lines[min(at, len(lines) - 1)]
        elif k == 1 and lines:
            lines.insert(at, rng.choice(lines))
        elif k == 2 and len(lines) > 1:
            i, j = rng.randrange(len(lines)), rng.randrange(len(lines))
            lines[i], lines[j] = lines[j], lines[i]
        elif k == 3:
            lines.insert(at, marker_line())
        elif k == 4:
            lines.insert(at, rng.choice(ANSWERS))
        elif k == 5 and lines:
            i = rng.randrange(len(lines))
            s = lines[i]
            p = rng.randrange(len(s) + 1)
            lines[i] = s[:p] + rng.choice([marker_line(), rng.choice(TEXTS)]) + s[p:]
        elif k == 6 and lines:
            i = rng.randrange(len(lines))
            s = lines[i]
            if s:
                p = rng.randrange(len(s))
                lines[i] = s[:p] + s[p + rng.randrange(1, 5):]
        else:
            lines.insert(at, rng.choice(TEXTS))
    return lines


def encode(lines):
    end = rng.choice(["\n", "\r\n", "\r"])
    text = end.join(lines) + rng.choice([end, ""])
    k = rng.random()
    if k < 0.2:
        try:
            return text.encode("cp1251")
        except UnicodeEncodeError:
            pass
    if k < 0.3:
        return b"\xef\xbb\xbf" + text.encode("utf-8", "surrogatepass")
    return text.encode("utf-8", "surrogatepass")


W = ('xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" '
     'xmlns:v="urn:schemas-microsoft-com:vml" '
     'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" '
     'xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing" '
     'xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" '
     'xmlns:pic="http://schemas.openxmlformats.org/drawingml/2006/picture"')
# A 2x2 picture for the documents' drawings.
PNG = bytes.fromhex("89504e470d0a1a0a0000000d49484452000000020000000208020000"
                    "00fdd49a730000001149444154789c63f8cfc0c0f01f8c8018001df0"
                    "03fdd3d07d260000000049454e44ae426082")
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"


def layout(lines, plain=False):
    """Where each line goes: some in table cells, some as a note of the
    paragraph before them, some as a picture's alternative text or in a text
    box, the rest paragraphs (all of them when plain), with page breaks that
    a word processor saves between them."""
    blocks, i = [], 0
    while i < len(lines):
        k = rng.uniform(0.21, 1) if plain else rng.random()
        if k < 0.08:
            rows = lines[i:i + rng.randrange(1, 4)]
            blocks.append(("table", rows))
            i += len(rows)
            continue
        for kind, below in (("note", 0.12), ("picture", 0.18), ("box", 0.21)):
            if k < below and i + 1 < len(lines):
                blocks.append((kind, lines[i], lines[i + 1]))
                i += 2
                break
        else:
            if k < 0.23:
                blocks.append(("break",))
            blocks.append(("para", lines[i]))
            i += 1
    return blocks


def as_docx(blocks):
    """The blocks (layout) as a Word document, parts of lines bold or italic."""
    from xml.sax.saxutils import escape
    clean = lambda t: escape("".join(c for c in t if c in "\t\n\r" or ord(c) >= 32))
    def runs(t):  # the text in up to three runs, some bold or italic
        cuts = sorted(rng.sample(range(len(t) + 1), min(len(t) + 1, rng.randrange(0, 3))))
        pieces = [t[a:b] for a, b in zip([0] + cuts, cuts + [len(t)]) if b > a] or [""]
        look = lambda: rng.choice(["", "", "<w:rPr><w:b/></w:rPr>", "<w:rPr><w:i/></w:rPr>"])
        return "".join('<w:r>%s<w:t xml:space="preserve">%s</w:t></w:r>' % (look(), clean(x))
                       for x in pieces)
    para = lambda t, more="": "<w:p>%s%s</w:p>" % (runs(t), more)
    body, notes = [], []
    for n, (kind, *texts) in enumerate(blocks):
        if kind == "table":
            body.append("<w:tbl>" + "".join("<w:tr><w:tc>%s</w:tc></w:tr>" % para(t)
                                            for t in texts[0]) + "</w:tbl>")
        elif kind == "note":
            notes.append(para(texts[1]))
            body.append(para(texts[0], '<w:r><w:footnoteReference w:id="%d"/></w:r>' % len(notes)))
        elif kind == "picture":
            drawing = ('<w:r><w:drawing><wp:inline><wp:extent cx="95250" cy="95250"/><wp:docPr id="%d" '
                       'name="p" descr="%s"/><a:graphic><a:graphicData uri="http://schemas.openxmlformats'
                       '.org/drawingml/2006/picture"><pic:pic><pic:blipFill><a:blip r:embed="rP"/>'
                       '</pic:blipFill></pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing></w:r>'
                       % (n + 1, clean(texts[1]).replace('"', "&quot;")))
            body.append(para(texts[0], drawing))
        elif kind == "box":
            box = ('<w:r><w:pict><v:shape style="width:90pt;height:40pt"><v:textbox><w:txbxContent>'
                   '%s</w:txbxContent></v:textbox></v:shape></w:pict></w:r>' % para(texts[1]))
            body.append(para(texts[0], box))
        elif kind == "para":
            body.append(para(texts[0]))
    import io, zipfile
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml",
                   '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/'
                   '2006/content-types"><Default Extension="xml" ContentType="application/xml"/>'
                   '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.'
                   'relationships+xml"/><Override PartName="/word/document.xml" ContentType="'
                   'application/vnd.openxmlformats-officedocument.wordprocessingml.document.main'
                   '+xml"/></Types>')
        z.writestr("_rels/.rels", '<?xml version="1.0"?><Relationships xmlns="http://schemas.'
                   'openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="'
                   + REL + 'officeDocument" Target="word/document.xml"/></Relationships>')
        z.writestr("word/_rels/document.xml.rels", '<?xml version="1.0"?><Relationships xmlns="'
                   'http://schemas.openxmlformats.org/package/2006/relationships"><Relationship '
                   'Id="rN" Type="' + REL + 'footnotes" Target="footnotes.xml"/><Relationship Id="rP" '
                   'Type="' + REL + 'image" Target="media/p.png"/></Relationships>')
        z.writestr("word/media/p.png", PNG)
        z.writestr("word/document.xml", '<?xml version="1.0" encoding="UTF-8"?><w:document %s>'
                   '<w:body>%s</w:body></w:document>' % (W, "".join(body)))
        z.writestr("word/footnotes.xml", '<?xml version="1.0" encoding="UTF-8"?><w:footnotes %s>%s'
                   '</w:footnotes>' % (W, "".join('<w:footnote w:id="%d">%s</w:footnote>' % (n + 1, t)
                                                 for n, t in enumerate(notes))))
    return buf.getvalue()


ODF = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
       'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
       'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
       'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
       'xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" '
       'xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" '
       'xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" '
       'xmlns:xlink="http://www.w3.org/1999/xlink" office:version="1.3"')


def as_odt(blocks, alike=False):
    """The blocks (layout) as an OpenDocument text, with what that format
    adds: blanks as text:s, tabs as text:tab, bookmarks and soft page breaks
    inside lines, and unless alike (to read as as_docx's document does)
    headings, endnotes and pictures' titles."""
    from xml.sax.saxutils import escape
    def odf(t):  # blanks and tabs as a word processor saves them
        t = "".join(c for c in t if c in "\t" or ord(c) >= 32)
        out = []
        for m in re.finditer(r"( +|\t|[^ \t]+)", t):
            x = m.group(1)
            if x == "\t":
                out.append("<text:tab/>")
            elif x[0] == " ":
                first = "" if m.start() == 0 else " "
                rest = len(x) - len(first)
                out.append(first + ('<text:s text:c="%d"/>' % rest if rest else ""))
            else:
                out.append(escape(x))
        return "".join(out)
    def spans(t):  # up to three spans, some bold or italic, with invisible marks between
        cuts = sorted(rng.sample(range(len(t) + 1), min(len(t) + 1, rng.randrange(0, 3))))
        pieces = [t[a:b] for a, b in zip([0] + cuts, cuts + [len(t)]) if b > a] or [""]
        mark = lambda: rng.choice(["", "", "", '<text:bookmark text:name="b"/>',
                                   "<text:soft-page-break/>"])
        return mark().join('<text:span text:style-name="%s">%s</text:span>'
                           % (rng.choice(["T0", "T0", "T1", "T2"]), odf(x)) for x in pieces)
    def para(t, more=""):
        if not alike and rng.random() < 0.1:
            return '<text:h text:outline-level="1">%s%s</text:h>' % (spans(t), more)
        return "<text:p>%s%s</text:p>" % (spans(t), more)
    body = []
    for n, (kind, *texts) in enumerate(blocks):
        if kind == "table":
            body.append("<table:table><table:table-column/>" + "".join(
                "<table:table-row><table:table-cell>%s</table:table-cell></table:table-row>"
                % para(t) for t in texts[0]) + "</table:table>")
        elif kind == "note":
            note = ('<text:note text:id="n%d" text:note-class="%s"><text:note-citation>1'
                    '</text:note-citation><text:note-body>%s</text:note-body></text:note>'
                    % (n, "footnote" if alike else rng.choice(["footnote", "endnote"]),
                       para(texts[1])))
            body.append(para(texts[0], note))
        elif kind == "picture":
            alt = escape("".join(c for c in texts[1] if ord(c) >= 32), {'"': "&quot;"})
            title = "" if alike else "<svg:title>%s</svg:title>" % alt
            picture = ('<draw:frame draw:name="p%d" text:anchor-type="as-char" svg:width="0.1in" '
                       'svg:height="0.1in"><draw:image xlink:href="Pictures/p.png" xlink:type='
                       '"simple"/>%s<svg:desc>%s</svg:desc></draw:frame>' % (n, title, alt))
            body.append(para(texts[0], picture))
        elif kind == "box":
            box = ('<draw:frame draw:name="b%d" text:anchor-type="as-char" svg:width="3in">'
                   '<draw:text-box>%s</draw:text-box></draw:frame>' % (n, para(texts[1])))
            body.append(para(texts[0], box))
        elif kind == "break":
            body.append("<text:soft-page-break/>")
        else:
            body.append(para(texts[0]))
    import io, zipfile
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.text",
                   compress_type=zipfile.ZIP_STORED)
        z.writestr("META-INF/manifest.xml", '<?xml version="1.0" encoding="UTF-8"?><manifest:'
                   'manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" '
                   'manifest:version="1.3"><manifest:file-entry manifest:full-path="/" manifest:'
                   'media-type="application/vnd.oasis.opendocument.text"/><manifest:file-entry '
                   'manifest:full-path="content.xml" manifest:media-type="text/xml"/><manifest:'
                   'file-entry manifest:full-path="Pictures/p.png" manifest:media-type="image/png"'
                   '/></manifest:manifest>')
        z.writestr("Pictures/p.png", PNG)
        z.writestr("content.xml", '<?xml version="1.0" encoding="UTF-8"?><office:document-content'
                   ' %s><office:automatic-styles><style:style style:name="T0" style:family="text"/>'
                   '<style:style style:name="T1" style:family="text"><style:text-properties '
                   'fo:font-weight="bold"/></style:style><style:style style:name="T2" style:family'
                   '="text"><style:text-properties fo:font-style="italic"/></style:style></office:'
                   'automatic-styles><office:body><office:text>%s</office:text></office:body>'
                   '</office:document-content>' % (ODF, "".join(body)))
    return buf.getvalue()


def run(cmd, cwd, timeout=60):
    env = dict(os.environ, ASAN_OPTIONS="detect_leaks=0:abort_on_error=1",
               UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1")
    try:
        p = subprocess.run(cmd, cwd=cwd, env=env, capture_output=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        return "hang", -1, b"", b""
    bad = p.returncode < 0 or b"AddressSanitizer" in p.stderr or b"runtime error:" in p.stderr \
        or b"terminate called" in p.stderr
    return ("crash %d" % p.returncode if bad else None), p.returncode, p.stdout, p.stderr


def trial(d, name):
    """Runs lint, convert and check on d/name: what is wrong, and the output that shows it."""
    what, _, lint_out, lint_err = run([bin_, "lint", name], d)
    lint_error = b": error:" in lint_out + lint_err
    if what:
        return "lint " + what, lint_err
    what, rc, so, se = run([bin_, "convert", name], d)
    if what:
        return "convert " + what, se
    if os.path.isdir(os.path.join(d, "c")):
        _, _, cso, _ = run([bin_, "check", "c"], d)
        differ = quiz_judge.verdicts_differ(os.path.join(d, "c"), cso.decode("utf-8", "replace"))
        if differ:
            return "quiz verdicts differ", differ.encode()
    if rc != 0:
        # A page or test that could not be written, or a run that failed,
        # is no course error: lint cannot know of it.
        if not lint_error and not any(w in so + se for w in (b"saveHTML", b"saveTest", b"Error #")):
            return "no lint error but convert %d" % rc, so[-3000:] + se[-3000:]
        return None, b""
    for target in ["c"] + sorted(z for z in os.listdir(d) if z.endswith(".zip")):
        what, crc, cso, cse = run([bin_, "check", target], d)
        if what or crc != 0:
            return "check %s %s rc %d" % (target, what or "", crc), cso + cse
    if lint_error:
        return "lint error but convert 0", lint_out + lint_err
    return None, b""


def formats_differ(d, lines, plain):
    """The same lines laid out alike as a Word document and an OpenDocument
    text, and when plain (every line a paragraph) as plain text too: convert
    must make the same outline of each and say the same of it. What
    differs, or None."""
    blocks = layout(lines, plain)
    makes = [("c.docx", lambda: as_docx(blocks)), ("c.odt", lambda: as_odt(blocks, alike=True))]
    # A plain text's first U+FEFF is its byte order mark, not a character.
    if plain and not (lines and lines[0].startswith("\ufeff")):
        makes.insert(0, ("c.txt", lambda: encode(lines)))
    seen = {}
    for name, make in makes:
        sub = os.path.join(d, name[2:])
        os.makedirs(sub)
        open(os.path.join(sub, name), "wb").write(make())
        what, rc, so, se = run([bin_, "convert", name], sub)
        if what:
            return "convert %s %s" % (name, what)
        preview = os.path.join(sub, "c", "pvomanifest.htm")
        said = sorted(set(re.sub(r"^c\.\w+:", "", l) for l in se.decode("utf-8", "replace").splitlines()
                          if ": error:" in l or ": warning:" in l))
        seen[name] = (rc, open(preview, "rb").read() if os.path.exists(preview) else None, said)
    first = seen[makes[0][0]]
    if all(v == first for v in seen.values()):
        return None
    return "\n".join("%s: rc %d\n%s\n%s" % (n, v[0], v[1], "\n".join(v[2])) for n, v in seen.items())


end = time.time() + seconds
n = found = 0
while time.time() < end:
    d = tempfile.mkdtemp(dir="/dev/shm", prefix="course-mutation.")
    lines = mutate(rng.choice(seeds))
    if rng.random() < 0.2 and all(c == "\t" or ord(c) >= 32 for l in lines for c in l):
        n += 1
        differ = formats_differ(d, lines, plain=rng.random() < 0.5)
        if differ:  # the documents as made, with what each gave
            found += 1
            shutil.copytree(d, "%s/found/%d" % (out, n), ignore=shutil.ignore_patterns("c", "*.zip"))
            open("%s/found/%d.why" % (out, n), "w").write("formats differ\n" + differ[-6000:])
            print("FOUND", n, "formats differ", flush=True)
        shutil.rmtree(d, ignore_errors=True)
        continue
    name = rng.choice(["c.docx", "c.docx", "c.odt", "c.odt"] + ["c.txt"] * 6)
    make = {"c.docx": lambda: as_docx(layout(lines)), "c.odt": lambda: as_odt(layout(lines)),
            "c.txt": lambda: encode(lines)}[name]
    open(os.path.join(d, name), "wb").write(make())
    n += 1
    problem, detail = trial(d, name)
    if problem:
        found += 1
        shutil.copy(os.path.join(d, name), "%s/found/%d.%s" % (out, n, name[2:]))
        open("%s/found/%d.why" % (out, n), "wb").write(problem.encode() + b"\n" + detail[-6000:])
        print("FOUND", n, problem, flush=True)
    shutil.rmtree(d, ignore_errors=True)
    if n % 100 == 0:
        print("runs", n, "found", found, flush=True)
print("runs", n, "found", found)
