#!/usr/bin/env python3
"""A mutation campaign over finished packages: the folder or one of its zips,
with files damaged, cut, swapped for links, pipes or folders, and XML given
entities, as a package from anywhere may come to `raredozud check`; half
the damaged folders first go through the copy step again (`raredozud
complete`), as after an author's edit by hand. It looks for a crash, a
sanitizer report, a hang, an exit status other than 0 or 1, a fault or
failure given without a word, a file of the machine read into the answer
or packed into a zip, a zip entry that is no plain file of the package, and
damaged test data that check and the quiz page's reader judge differently.
  fuzz/package_mutations.py PROGRAM SECONDS [OUTDIR]
PROGRAM is raredozud, best from a build with RAREDOZUD_SANITIZE=ON. What it
finds goes into OUTDIR/found (default /tmp/package-mutations): the package,
and beside it why."""
import os, random, shutil, subprocess, sys, tempfile, time, warnings, zipfile

import quiz_judge

warnings.simplefilter("ignore")  # zipfile warns of the names written twice on purpose

here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
bin_, seconds = os.path.abspath(sys.argv[1]), float(sys.argv[2])
out = sys.argv[3] if len(sys.argv) > 3 else "/tmp/package-mutations"
os.makedirs(out + "/found", exist_ok=True)
rng = random.Random(time.time_ns() ^ os.getpid())  # two campaigns started at once differ
CANARY = "RDCANARY-%d" % rng.randrange(10**9)
work = tempfile.mkdtemp(prefix="rdpkg.")
canary_file = os.path.join(work, "canary.txt")
open(canary_file, "w").write(CANARY)

TOKENS = ["|", "||", "ITEM", "ITEM0|x|page2.htm|0", "%MANIFEST_END", "\"", "\\u", "\\ud800",
          "\"passMark\": 101", "\"passMark\": -1", "\"targets\": \"zip\"", "{}", "]", "}", ",",
          "\"files\": [\n", "\x00", "\xff\xfe", "\u202e", "../", "/etc/passwd", "a" * 5000,
          "<", "]]>", "&amp;", "&#0;", "&#xD800;", "%A=12%A#", "parent.tester.showref('9')",
          "href=\"../../x.htm\"", "<a href=\"#\" onclick=\"return parent.tester.showref('",
          "99999999999999999999", "\r", "\n", "\t"]
XML_ATTACKS = [
    '<!DOCTYPE m [<!ENTITY e SYSTEM "file://%s">]>' % canary_file,
    '<!DOCTYPE m [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">'
    '<!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;"><!ENTITY d "&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;">'
    '<!ENTITY e "&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;">]>',
    '<!DOCTYPE m SYSTEM "http://127.0.0.1:9/x.dtd">',
    '<?xml-stylesheet href="file://%s"?>' % canary_file]


def base_packages():
    made = []
    for doc in ("examples/course.txt", "tests/corpus/courses/small.docx",
                "examples/course-template.docx"):
        d = os.path.join(work, "base%d" % len(made))
        os.makedirs(d)
        shutil.copy(os.path.join(here, doc), d)
        subprocess.run([bin_, "convert", os.path.basename(doc)], cwd=d, capture_output=True)
        stem = os.path.splitext(os.path.basename(doc))[0]
        if os.path.isdir(os.path.join(d, stem)):
            made.append((d, stem))
    return made


def mutate_text(b):
    """Bytes changed as an editor, a cut-off copy or an attacker would."""
    for _ in range(rng.randint(1, 3)):
        at = rng.randrange(len(b) + 1)
        r = rng.random()
        if r < 0.3:
            b = b[:at] + rng.choice(TOKENS).encode("utf-8", "surrogatepass") + b[at:]
        elif r < 0.5:
            b = b[:at] + b[at + rng.randint(1, 200):]
        elif r < 0.6:
            b = b[:at]
        elif r < 0.75 and b:
            i = rng.randrange(len(b))
            b = b[:i] + bytes([b[i] ^ (1 << rng.randrange(8))]) + b[i + 1:]
        elif r < 0.85:
            lines = b.split(b"\n")
            i = rng.randrange(len(lines))
            lines.insert(rng.randrange(len(lines) + 1), lines[i] * rng.choice([1, 2, 50]))
            b = b"\n".join(lines)
        else:
            text = b.decode("utf-8", "replace")
            if "?>" in text[:200]:
                i = text.index("?>") + 2
                text = text[:i] + rng.choice(XML_ATTACKS) + text[i:]
                end = text.find("</")  # the first element's text: where an entity is expanded
                if "ENTITY e" in text and end >= 0:
                    text = text[:end] + "&e;" + text[end:]
            b = text.encode("utf-8", "surrogatepass")
    return b


def damage_folder(pkg):
    names = [os.path.relpath(os.path.join(r, f), pkg) for r, _, fs in os.walk(pkg) for f in fs]
    key = [n for n in names if n.endswith((".js", ".xml", "pvomanifest.htm")) or "test" in n]
    for _ in range(rng.randint(1, 3)):
        name = rng.choice(key if key and rng.random() < 0.7 else names)
        p = os.path.join(pkg, name)
        r = rng.random()
        if not os.path.isfile(p) or os.path.islink(p):
            continue
        if r < 0.75:
            data = open(p, "rb").read()
            open(p, "wb").write(mutate_text(data))
            continue
        os.remove(p)
        if r < 0.82:
            os.symlink(rng.choice([canary_file, "/dev/zero", "/proc/self/mem", ".", "missing"]), p)
        elif r < 0.88:
            os.mkfifo(p)
        elif r < 0.94:
            os.makedirs(os.path.join(p, *["d"] * rng.randint(1, 80)))
        # else: the file is gone


def damage_headers(data):
    """A zip whose entries' own headers disagree with its directory: a name
    changed or cut in one place only, an entry's header moved, shared or
    past the end, as unpackers that read entries in order then differ."""
    end = data.rfind(b"PK\x05\x06")
    if end < 0 or end + 22 > len(data):
        return data
    at = int.from_bytes(data[end + 16:end + 20], "little")
    records = []
    while at + 46 <= len(data) and data[at:at + 4] == b"PK\x01\x02":
        records.append(at)
        at += 46 + sum(int.from_bytes(data[at + k:at + k + 2], "little") for k in (28, 30, 32))
    for _ in range(rng.randint(1, 3) if records else 0):
        rec = rng.choice(records)
        local = int.from_bytes(data[rec + 42:rec + 46], "little")
        r = rng.random()
        if r < 0.4 and local + 30 < len(data):  # the header's name, or its length
            n = int.from_bytes(data[local + 26:local + 28], "little")
            if r < 0.25 and n:
                i = local + 30 + rng.randrange(n)
                if i < len(data):
                    data[i] = rng.choice(b"Aa./\\\x00")
            else:
                data[local + 26:local + 28] = min(0xFFFF, max(0, n + rng.choice([-1, 1, 300]))).to_bytes(2, "little")
        else:  # the directory's offset of the header
            other = int.from_bytes(data[rng.choice(records) + 42:][:4], "little")
            to = rng.choice([other, other + 1, 0, len(data), 0xFFFFFFFF, 0xFFFFFFFE, local - 1])
            data[rec + 42:rec + 46] = (to & 0xFFFFFFFF).to_bytes(4, "little")
    return data


def damage_zip(src, dst):
    """True when only the entries' headers were changed: check must fault it."""
    if rng.random() < 0.15:  # the entries' headers against the directory
        data = open(src, "rb").read()
        damaged = bytes(damage_headers(bytearray(data)))
        open(dst, "wb").write(damaged)
        return damaged != data
    if rng.random() < 0.3:  # the zip's own bytes
        data = bytearray(open(src, "rb").read())
        for _ in range(rng.randint(1, 20)):
            data[rng.randrange(len(data))] = rng.randrange(256)
        if rng.random() < 0.3:
            data = data[:rng.randrange(len(data))]
        open(dst, "wb").write(bytes(data))
        return
    with zipfile.ZipFile(src) as zin, zipfile.ZipFile(dst, "w", zipfile.ZIP_DEFLATED) as zout:
        infos = zin.infolist()
        hit = set(rng.sample(range(len(infos)), min(len(infos), rng.randint(1, 3))))
        for i, info in enumerate(infos):
            data = zin.read(info)
            name = info.filename
            if i in hit and not info.is_dir():
                if rng.random() < 0.8:
                    data = mutate_text(data)
                else:
                    name = rng.choice(["../" + name, "/" + name, name.replace("/", "\\"),
                                       name + "/x", "a" * 300 + "/" + name, name])
            if rng.random() < 0.02:
                continue  # an entry lost
            zout.writestr(name, data)
            if rng.random() < 0.01:
                zout.writestr(name, data[:10])  # the same name twice


ENV = dict(os.environ, ASAN_OPTIONS="detect_leaks=1:abort_on_error=0",
           UBSAN_OPTIONS="print_stacktrace=1")


def complete(folder):
    """The copy step run again on a folder changed by hand, as an author may
    after editing a page: it packs the package's own files or fails."""
    try:
        p = subprocess.run([bin_, "complete", folder], capture_output=True, timeout=90, env=ENV)
    except subprocess.TimeoutExpired:
        return "complete: hang"
    text = p.stderr.decode("utf-8", "replace")
    if "Sanitizer" in text or "runtime error:" in text:
        return "complete: sanitizer report"
    if p.returncode not in (0, 1):
        return "complete: exit status %d" % p.returncode
    if p.returncode == 1 and "copy step failed" not in text:
        return "complete: a failure without a word"
    parent, stem = os.path.split(folder)
    for z in os.listdir(parent) if p.returncode == 0 else []:
        if not z.endswith(".zip"):
            continue
        with zipfile.ZipFile(os.path.join(parent, z)) as zf:
            for info in zf.infolist():
                inside = os.path.join(folder, info.filename)
                if info.filename.endswith("/") or info.filename in SCHEMA_NAMES[z[len(stem):]]:
                    continue
                if (info.filename.startswith("/") or ".." in info.filename.split("/") or
                        not os.path.isfile(inside) or os.path.islink(inside)):
                    return "complete: %s holds %s, no plain file of the package" % (z, info.filename)
                if CANARY.encode() in zf.read(info):
                    return "complete: %s holds a file of the machine" % z
    return None


def judge(path, must_fault=False):
    try:
        p = subprocess.run([bin_, "check", path], capture_output=True, timeout=90, env=ENV)
    except subprocess.TimeoutExpired:
        return "hang"
    text = (p.stdout + p.stderr).decode("utf-8", "replace")
    if "Sanitizer" in text or "runtime error:" in text:
        return "sanitizer report"
    if CANARY in text:
        return "a file outside the package read into the answer"
    if p.returncode not in (0, 1):
        return "exit status %d" % p.returncode
    if p.returncode == 1 and not p.stdout.strip():
        return "a fault given without a word"
    if must_fault and p.returncode == 0:
        return "a zip whose entries' headers disagree with its directory passed"
    differ = quiz_judge.verdicts_differ(path, text) if os.path.isdir(path) else None
    return differ and "quiz verdicts differ: " + differ.replace("\n", "; ")


bases = base_packages()
assert bases, "no base package converted"
# What a zip holds beside the package's own files: the schemas it is
# checked against, made by the copy step from the installation.
SCHEMA_NAMES = {}
for z in os.listdir(bases[0][0]):
    if z.endswith(".zip"):
        with zipfile.ZipFile(os.path.join(bases[0][0], z)) as zf:
            SCHEMA_NAMES[z[len(bases[0][1]):]] = [
                n for n in zf.namelist()
                if not os.path.exists(os.path.join(bases[0][0], bases[0][1], n))]
start, runs, found = time.time(), 0, 0
while time.time() - start < seconds:
    base, stem = rng.choice(bases)
    case = os.path.join(work, "case")
    shutil.rmtree(case, ignore_errors=True)
    os.makedirs(case)
    if rng.random() < 0.5:
        target = os.path.join(case, stem)
        shutil.copytree(os.path.join(base, stem), target, symlinks=True)
        damage_folder(target)
        why = complete(target) if rng.random() < 0.5 else None
        why = why or judge(target)
    else:
        zips = [z for z in os.listdir(base) if z.endswith(".zip")]
        target = os.path.join(case, rng.choice(zips))
        must_fault = damage_zip(os.path.join(base, os.path.basename(target)), target)
        why = judge(target, must_fault)
    runs += 1
    if why:
        found += 1
        keep = os.path.join(out, "found", "%d" % runs)
        shutil.move(case, keep)  # moved, not copied: a pipe in it would block a copy
        open(keep + ".why", "w").write(why + "\n")
        print("found:", why, keep, flush=True)
    if runs % 100 == 0:
        print("runs", runs, "found", found, flush=True)
print("runs", runs, "found", found)
shutil.rmtree(work, ignore_errors=True)
