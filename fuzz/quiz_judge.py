"""The campaigns' quiz judge: the test data files of a package folder on
which the quiz page's reader (quiz_verdicts.js, under node) and check's
verdict (its output, given) disagree."""
import os, re, subprocess

here = os.path.dirname(os.path.abspath(__file__))


def plain(path):
    return os.path.isfile(path) and not os.path.islink(path)


def verdicts_differ(folder, check_out):
    """One line a file judged differently, or None."""
    # check judges the tests the outline lists, in a package with a manifest.
    preview = os.path.join(folder, "pvomanifest.htm")
    if not plain(os.path.join(folder, "imsmanifest.xml")) or not plain(preview):
        return None
    # Nor does check look at the course when the manifest is unreadable.
    if re.search(r"imsmanifest\.xml (is missing|is not well-formed|is not at|cannot be read)",
                 check_out):
        return None
    # Nor does the preview say which file the player opens for a line when
    # course.js gives it another, which check faults.
    if "course.js gives the line" in check_out:
        return None
    # The outline's lines as check and the player read them: "ITEM" lines
    # up to the first "%MANIFEST_END", the file second from the right.
    lines = open(preview, "rb").read().splitlines()
    ends = [i for i, line in enumerate(lines) if line.startswith(b"%MANIFEST_END")]
    listed = [re.fullmatch(rb"test(\d+)\.htm", line.split(b"|")[-2])
              for line in lines[:ends[0] if ends else len(lines)]
              if line.startswith(b"ITEM") and line.count(b"|") >= 3]
    files = [os.path.join(folder, "testdata%s.htm" % m.group(1).decode()) for m in listed if m]
    # A file the manifest leaves out of the course is none of its tests'.
    files = [f for f in files
             if plain(f) and "has no %s:" % os.path.basename(f) not in check_out]
    if not files:
        return None
    node = subprocess.run(["node", os.path.join(here, "quiz_verdicts.js")] + files,
                          capture_output=True, timeout=60)
    page = dict(zip((os.path.basename(f) for f in files), node.stdout.decode().splitlines()))
    ours = {os.path.basename(f): "ok" for f in files}
    for m in re.finditer(r"stops at (testdata\d+\.htm)(?: line (\d+))?: (.*?); learners cannot take",
                         check_out):
        ours[m.group(1)] = "problem %s %s" % (m.group(2) or "0", m.group(3))
    differ = ["%s: page %r, check %r" % (f, page.get(f), v) for f, v in ours.items()
              if page.get(f) != v]
    return "\n".join(differ) or None
