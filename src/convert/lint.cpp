#include "convert/lint.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "convert/entries.h"
#include "convert/lint_links.h"
#include "convert/lint_text.h"
#include "convert/lint_unread.h"
#include "convert/mistyped.h"
#include "course/export_context.h"
#include "course/session.h"
#include "pages/replace_body.h"
#include "quiz/quiz_data.h"
#include "quiz/quiz_reader.h"
#include "support/codepage.h"
#include "support/runtime_error.h"
#include "support/strings.h"

namespace convert {
namespace {

using std::u16string;
using support::widen;

bool startsWithUpper(std::u16string_view line, std::string_view marker) {
  return support::upperAscii(line.substr(0, marker.size())) == widen(marker);
}

bool markerLine(const u16string& paragraphText) {
  return classify(prepareLine(paragraphText)).marker != Marker::Content;
}

// What the author knows an entry by.
u16string entryName(int32_t kind, const u16string& title, const u16string& chapter) {
  if (kind == course::kChapterEnd && !hasText(chapter)) return u"after a chapter without a title";
  if (!hasText(title) && kind != course::kChapterEnd && kind != course::kUntitled)
    return kind == course::kTest           ? u"a test without a title"
           : kind == course::kChapterStart ? u"a chapter without a title"
                                           : u"a page without a title";
  switch (kind) {
    case course::kPage:
      return u"page " + quoted(title);
    case course::kTest:
      return u"test " + quoted(title);
    case course::kChapterStart:
      return u"chapter " + quoted(title);
    case course::kChapterEnd:
      return u"after the chapter " + quoted(chapter);
    default:
      return u"the untitled page";
  }
}

class Linter : public EntryListener {
 public:
  Linter(word::Application& app, word::Document& doc) : app_(app), doc_(doc) {}

  LintResult run() {
    walkEntries(app_, *this, walk_);
    headerFooterMarkers(doc_, found_);
    unseenMarkers(app_, doc_, found_);
    courseWide();
    for (const ClosedEntry& e : entries_) entry(e);
    checkOutlineLinks(entries_, references_, found_);
    std::stable_sort(found_.begin(), found_.end(), [](const LintWarning& a, const LintWarning& b) {
      return a.position < b.position;
    });
    for (LintWarning& w : found_) describeParagraph(w);
    return {std::move(found_), std::move(entries_), std::move(walk_)};
  }

 private:
  void warn(int32_t at, u16string message) { found_.push_back({at, 0, std::move(message), {}}); }
  // Text that no page of the course shows.
  void leftOut(int32_t at, u16string message) {
    warn(at, std::move(message));
    found_.back().leftOut = true;
  }
  // A learner will hit a dead end here.
  void error(int32_t at, u16string message) {
    found_.push_back({at, 0, std::move(message), {}, course::Severity::Error});
  }

  // ---------------------------------------------------------- the walk

  // A marker after a line break (Shift+Enter), a page or column break or a
  // separator pasted text carries is in the middle of its paragraph, though
  // the author sees it start a line: the scanner reads paragraphs, so it is
  // text, and the page it should open is lost.
  void paragraph(const Paragraph& p) override {
    struct Break {
      char16_t c;
      const char16_t* what;  // it stands before the marker
      const char16_t* remedy;
    };
    static constexpr Break kBreaks[] = {
        {u'\v', u"a line break (Shift+Enter)", u"end the line before it with Enter"},
        {u'\f', u"a page break (Ctrl+Enter)",
         u"press Enter after the break, so that the marker starts a paragraph"},
        {u'\x0E', u"a column break (Ctrl+Shift+Enter)",
         u"press Enter after the break, so that the marker starts a paragraph"},
        {u'\u2028', u"a line separator (from pasted text)",
         u"delete it and end the line before the marker with Enter"},
        {u'\u2029', u"a paragraph separator (from pasted text)",
         u"delete it and end the line before the marker with Enter"},
    };
    lostWithTheLine(p);
    if (p.textBox) return;  // no marker of a text box is read: text() tells
    const u16string& text = p.text;
    // A break first in the paragraph is the one character the scanner
    // forgives before some markers, or a misplaced marker's prefix, which
    // text() tells.
    const size_t forgiven = text.find_first_not_of(u' ');
    // A plain loop over every paragraph's characters: find_first_of looks
    // each one up in the set (convert of large.doc -35 million instructions).
    for (size_t b = 0; b < text.size(); ++b) {
      const char16_t c = text[b];
      if (c > u'\x0E' && c != u'\u2028' && c != u'\u2029') continue;
      const Break* k = std::find_if(std::begin(kBreaks), std::end(kBreaks),
                                    [&](const Break& x) { return x.c == c; });
      if (k == std::end(kBreaks) || b == forgiven) continue;
      const SeenMarker m = markerSeenAt(std::u16string_view(text).substr(b + 1));
      if (!m.marker.empty())
        warn(p.start, k->what + (u" stands before " + m.quoted) +
                          u": the marker is read as text; " + k->remedy);
    }
  }

  // A page or test keeps as text the "%TITLE=" and "%AUTHOR=" lines within
  // it and a "%H1#" that closes no chapter; every other marker line goes.
  bool keptAsText(const Paragraph& p) const {
    const Marker m = p.marker.marker;
    const bool text =
        m == Marker::Title || m == Marker::Author || (m == Marker::ChapterEnd && !chapterOpen_);
    return text && p.entry &&
           (course::writesPage(p.entry->kind) || course::writesTest(p.entry->kind));
  }

  // A note's reference or a picture in a marker line goes with the line.
  // (In a "%PID=" line it makes no number, and is told as such.)
  void lostWithTheLine(const Paragraph& p) {
    const Marker m = p.marker.marker;
    if (m == Marker::Content || m == Marker::Pid || keptAsText(p)) return;
    const word::Range::Anchors holds = word::Range(app_, doc_, p.start, p.end).anchors();
    if (holds.note)
      leftOut(p.start,
              u"a footnote or endnote in a marker line is left out of the course with the "
              u"line: put its reference in the page's text");
    if (holds.picture)
      leftOut(p.start,
              u"a picture in a marker line is left out of the course with the line: put it in "
              u"the page's text");
  }

  void text(const Paragraph& p) override {
    // Only a line that starts with "%" can be a mistyped marker: most are
    // not looked at further.
    auto reference = [&p] {
      return startsWithUpper(p.line, pages::kReferenceOpen) ||
             startsWithUpper(p.line, pages::kReferenceClose) || lookAlikeLinkMarker(p.line).at == 0;
    };
    styledHeadings_.text(p.start, p.text, p.outlineLevel, p.style, p.entry != nullptr);
    if (const SeenMarker m = p.textBox ? markerSeenAt(p.line) : SeenMarker{}; !m.marker.empty())
      warn(p.start, m.quoted +
                        u" in a text box or shape is not read: markers work only in the "
                        u"document's own text, so the line stays text where the box is; type "
                        u"the marker in a paragraph of the text itself");
    else if (startsWithPercent(p.line) && !reference())
      mistyped(p, std::nullopt);
    else if (const std::optional<size_t> at = markerAfterPrefix(p.line))
      mistyped(p, at);
    if (!hasText(p.text)) return;
    if (!p.entry) {
      if (!droppedBefore_)
        leftOut(p.start,
                u"text before the first \"%H1=\", \"%H2=\" or \"%TEST=\" belongs to no page and "
                u"is left out of the course; move it into a page to show it, or leave it as a "
                u"note for yourself");
      droppedBefore_ = true;
      return;
    }
    contentSincePending_ = true;
    shownOnPage(p);
    const bool chapterMark =
        p.entry->kind == course::kChapterStart || p.entry->kind == course::kChapterEnd;
    if (chapterMark && leftOutAt_ != p.entry->heading) {
      leftOutAt_ = p.entry->heading;
      leftOut(p.start, p.entry->kind == course::kChapterStart
                           ? u"text after \"%H1=\" before the chapter's first page belongs to no "
                             u"page and is left out of the course; give it a page of its own with "
                             u"\"%H2=\""
                           : u"text after \"%H1#\" before the next heading belongs to no page and "
                             u"is left out of the course; give it a page of its own with \"%H2=\"");
    }
  }

  // One mistake, one warning: the "%PID=" lines that follow a mistyped
  // heading marker are its consequence, not mistakes of their own. A
  // marker `after` some characters is typed right but stands wrong.
  void mistyped(const Paragraph& p, std::optional<size_t> after) {
    mistypedSincePending_ = true;
    mistypedAt_ = found_.size();
    mistypedLine_ = p.line;
    misplacedAt_ = after;
    // What becomes of the line depends on where it stands.
    const bool onPage = p.entry && course::writesPage(p.entry->kind);
    const bool inTest = p.entry && course::writesTest(p.entry->kind);
    warn(p.start, noMarker(onPage   ? u"so it is course text"
                           : inTest ? u"so it is a line of the test"
                                    : u"so it is text that no page shows"));
  }

  // The last mistyped or misplaced marker's warning, with what becomes of
  // its line.
  u16string noMarker(const u16string& consequence) const {
    return misplacedAt_ ? misplacedMessage(mistypedLine_, *misplacedAt_, consequence)
                        : mistypedMessage(mistypedLine_, consequence);
  }

  // A "%PID=" line after a mistyped heading is not the new item's: it
  // numbers the item above, whose text up to it is left out, the mistyped
  // line with it. The line's warning says so.
  void numbersItemAbove(const PendingEntry& above) {
    const bool named = above.kind == course::kPage || above.kind == course::kTest ||
                       above.kind == course::kChapterStart;
    LintWarning& w = found_[mistypedAt_];
    w.message = noMarker(u"so the \"%PID=\" line after it numbers " +
                         (named ? entryName(above.kind, above.title, {}) : u"the item above") +
                         u" instead, whose text up to that line, this one included, is left "
                         u"out of the course");
    w.leftOut = true;
  }

  // The links the page rewriter makes of the paragraph.
  void references(const u16string& text, int32_t at) {
    // Every link marker starts with "%" (or, mistyped, a sign drawn alike):
    // most paragraphs need no rewrite.
    if (!holdsPercent(text)) return;
    if (const LookAlikeLink l = lookAlikeLinkMarker(text); l.at != u16string::npos)
      warn(at, lookAlikeLinkMessage(text, l));
    const pages::LinkRewrite links = pages::rewriteLinks(support::toUtf8(text));
    for (const std::string& r : links.references) references_.push_back({support::fromUtf8(r), at});
    if (links.notClosed)
      warn(at, u"\"%A=\" without \"%A#\" in the same paragraph: the page shows the marker as "
               u"text; close the link with \"%A#\" in the same paragraph");
  }

  void courseLine(const Paragraph& p) override {
    int& count = p.marker.marker == Marker::Title ? titles_ : authors_;
    if (++count == 2)
      warn(p.start,
           u"a second " + quoted(markerText(p.marker.marker)) +
               u" line: the later one counts; keep one of the two");
    if (p.entry) contentSincePending_ = true;
    shownOnPage(p);
  }

  void badPid(const Paragraph& p, const support::Error& e) override {
    // Either stops the conversion: an error, not a warning.
    if (e.number() != support::kTypeMismatch)
      return error(p.start,
                   u"\"%PID=\" beyond the whole numbers it takes: the conversion stops here "
                   u"(error 6); give a whole number up to 2147483647");
    error(p.start, u"\"%PID=\" without a number: the conversion stops here (error 13); " +
                       whyNoNumber(p));
  }

  // What makes a "%PID=" value that looks like a number none, and what to do.
  u16string whyNoNumber(const Paragraph& p) {
    // A note's reference or a picture makes "%PID=12" no number unseen.
    const word::Range::Anchors holds = word::Range(app_, doc_, p.start, p.end).anchors();
    if (holds.note || holds.picture)
      return u"a note or picture in the line is no digit: move it out of the line";
    if (const u16string wide = narrowedNumber(p.marker.value); !wide.empty())
      return u"its digits are typed in full width: write \"%PID=" + wide +
             u"\", in half-width digits";
    const NumberWithin within = numberWithin(p.marker.value);
    if (within.number.empty()) return u"give a whole number";
    const u16string write = u": write \"%PID=" + within.number + u"\", the number alone";
    return within.unseen ? u"an invisible character (such as a zero-width space or a line "
                               u"separator from pasted text) stands in or beside " +
                               quoted(within.number) + write
                         : u"the signs beside " + quoted(within.number) + u" are no digits" + write;
  }

  void pid(const Paragraph& p, int32_t, int32_t) override {
    if (!p.entry) names_.push_back({p.start, entryName(course::kUntitled, {}, {})});
    // Told already, at the mistyped line.
    if (p.entry && mistypedSincePending_) numbersItemAbove(*p.entry);
    const PendingEntry* entry = mistypedSincePending_ ? nullptr : p.entry;
    if (entry && entry->pid)
      warn(p.start,
           u"a second \"%PID=\" for the same item: the later number counts; keep one of the two");
    if (entry && contentSincePending_)
      leftOut(p.start,
              u"\"%PID=\" after text: the text between the heading above and this line is left "
              u"out (a mistyped heading marker above?); put \"%PID=\" right after its heading");
    contentSincePending_ = false;
    mistypedSincePending_ = false;
  }

  void heading(const Paragraph& p, const Heading& h) override {
    styledHeadings_.marker(p.outlineLevel);
    names_.push_back({p.start, entryName(h.kind, h.title, chapterTitle_)});
    if (h.kind == course::kChapterStart) {
      if (h.chapterOpen)
        warn(p.start, u"\"%H1=\" while the chapter " + quoted(chapterTitle_) +
                          u" is still open: this chapter nests inside it; close that one with "
                          u"\"%H1#\"");
      chapterTitle_ = h.title;
      chapterAt_ = p.start;
    }
    chapterOpen_ =
        h.kind == course::kChapterStart || (chapterOpen_ && h.kind != course::kChapterEnd);
    sameTitle(p, h);
    contentsLine(p, h);
    if (h.kind != course::kChapterEnd && !hasText(h.title))
      warn(p.start, u"an empty title after " + quoted(markerText(p.marker.marker)) +
                        (h.kind == course::kChapterStart
                             ? u": the contents show an empty line; give the chapter a title"
                             : u": the contents show no title for it (the player, its file's "
                               u"name); give it a title"));
    contentSincePending_ = false;
    mistypedSincePending_ = false;
  }

  // A table of contents made of the marker lines (set in heading styles)
  // repeats each with a tab and its page number, and each of its lines is
  // a marker that opens an empty page. Told once: those pages' emptiness
  // is its consequence.
  void contentsLine(const Paragraph& p, const Heading& h) {
    const size_t last = h.title.find_last_not_of(u"0123456789");
    if (h.kind == course::kChapterEnd || last == u16string::npos || last + 1 == h.title.size() ||
        h.title[last] != u'\t')
      return;
    if (contentsAt_.empty())
      warn(p.start, quoted(markerText(p.marker.marker)) +
                        u" and its title end in a tab and a page number, as a line of a table of "
                        u"contents does: each line of a table of contents made of the marker "
                        u"lines is read as a marker and opens a page with nothing on it; delete "
                        u"the table of contents (the player shows the course's contents)");
    contentsAt_.insert(p.start);
  }

  // Two pages or tests of one title between two chapter marks: the
  // contents show them alike (a title repeated in each chapter is not).
  void sameTitle(const Paragraph& p, const Heading& h) {
    if (h.kind == course::kChapterStart || h.kind == course::kChapterEnd) titlesHere_.clear();
    if ((h.kind != course::kPage && h.kind != course::kTest) || !hasText(h.title)) return;
    if (!titlesHere_.insert(words(h.title, INT32_MAX, false)).second)
      warn(p.start, u"a second page or test titled " + quoted(h.title) +
                        u" in one chapter: the contents show the two alike, and learners "
                        u"cannot tell them apart; give each its own title");
  }

  void strayChapterEnd(const Paragraph& p) override {
    warn(p.start,
         u"\"%H1#\" without an open chapter: the line is ignored and stays text of the page "
         u"above; remove it, or add the \"%H1=\" it closes");
    if (p.entry) contentSincePending_ = true;
    shownOnPage(p);
  }

  // A marker line that a page keeps as text ("%TITLE=", "%AUTHOR=" or a
  // stray "%H1#" within it) has its links rewritten like any other.
  void shownOnPage(const Paragraph& p) {
    if (p.entry && course::writesPage(p.entry->kind)) references(p.text, p.start);
  }

  void entryClosed(const ClosedEntry& e) override {
    entries_.push_back(e);
    // A page shows the notes its text refers to, their links rewritten too;
    // no marker in a note is read (one warning a note).
    if (course::writesPage(e.kind))
      for (const word::Range::NoteText& note : word::Range(app_, doc_, e.start, e.end).notes()) {
        bool told = false;
        eachParagraph(note.text, [&](const u16string& line, size_t) {
          if (const SeenMarker m = markerSeenAt(line);
              !m.marker.empty() && !std::exchange(told, true))
            warn(note.position, m.quoted +
                                    u" in a footnote or endnote is not read: markers work only "
                                    u"in the document's own text; the page shows the line in "
                                    u"its note");
          references(line, note.position);
        });
      }
    if (entries_.size() == course::kOutlineRows)
      error(e.heading,
            u"the 1001st item: a course holds at most 1000, the conversion stops here (error 9); "
            u"split the course into two documents");
  }

  void lastEntryDropped(const PendingEntry& e) override {
    if (e.kind == course::kChapterStart) return;
    lastDropped_ = e.kind == course::kTest ? u"test" : u"page";
    leftOut(e.heading, u"the last " + lastDropped_ +
                           u" has ten characters or fewer: it is left out of the course; write a "
                           u"little more on it");
  }

  // Each paragraph of a text the walk does not tell paragraph by paragraph
  // (a table, a note), with where it starts in that text.
  template <class F>
  static void eachParagraph(const u16string& text, F&& f) {
    size_t from = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
      if (i < text.size() && text[i] != u'\r' && text[i] != 7) continue;
      f(text.substr(from, i - from), from);
      from = i + 1;
    }
  }

  // Markers inside tables are never read; the links in a page's cells are
  // rewritten like any other.
  void table(int32_t start, int32_t end, const PendingEntry* entry) override {
    if (entry) contentSincePending_ = true;
    eachParagraph(
        word::Range(app_, doc_, start, end).text(), [&](const u16string& cell, size_t from) {
          const int32_t at = start + static_cast<int32_t>(from);
          if (const SeenMarker m = markerSeenAt(cell); !m.marker.empty())
            warn(at, m.quoted +
                         u" in a table is not read: markers work only outside tables; move the "
                         u"marker out of the table");
          if (entry && course::writesPage(entry->kind)) references(cell, at);
        });
  }

  // ---------------------------------------------------- after the walk

  void courseWide() {
    const size_t from = found_.size();
    courseChecks();
    for (size_t i = from; i < found_.size(); ++i) found_[i].wholeCourse = true;
    if (chapterOpen_)
      warn(chapterAt_, u"the chapter " + quoted(chapterTitle_) +
                           u" is never closed with \"%H1#\": it runs to the end of the course; "
                           u"add \"%H1#\" where the chapter ends");
  }

  void courseChecks() {
    const auto shown = std::count_if(entries_.begin(), entries_.end(), [](const ClosedEntry& e) {
      return course::writesPage(e.kind) || course::writesTest(e.kind);
    });
    if (const auto styled = styledHeadings_.check(static_cast<size_t>(shown)))
      warn(styled->at, styled->message);
    if (shown == 0)
      error(0, u"the course has no page and no test: learners get an empty course; " +
                   (lastDropped_.empty()
                        ? u"start each page with \"%H2=\" and each test with \"%TEST=\""
                        : u"its one " + lastDropped_ + u" has ten characters or fewer, and is "
                              u"left out as the last " + lastDropped_ + u": write more on it"));
    if (titles_ == 0)
      warn(0, u"no \"%TITLE=\" line: the course has no title; give it one in a \"%TITLE=\" line");
    if (authors_ == 0)
      warn(0, u"no \"%AUTHOR=\" line: the course header names no author; name the author in an "
              u"\"%AUTHOR=\" line");
  }

  void entry(const ClosedEntry& e) {
    if (course::writesTest(e.kind)) return quizCheck(e);
    if (!course::writesPage(e.kind)) return;
    if (!contentsAt_.count(e.heading) && !hasText(word::Range(app_, doc_, e.start, e.end).text()))
      warn(e.heading, u"the page has no content; write its text, or remove its heading");
    pageLosses(app_, doc_, e.start, e.end, found_);
    // Metafiles and TIFF are converted when the page is saved: only what the
    // page writer cannot make showable is worth a warning.
    for (const word::InlineShape& s : word::Range(app_, doc_, e.start, e.end).inlineShapes()) {
      if (s.linked)
        warn(s.position,
             u"a picture linked to a file outside the document, which the course cannot carry: "
             u"insert the picture into the document instead of linking it");
      else if (!s.showable)
        warn(s.position, u"a picture in " + widen(s.format.empty() ? "an unknown" : s.format) +
                             u" format, which browsers do not show: insert it as PNG or JPEG");
      if (!hasText(s.alternativeText))
        warn(s.position,
             u"a picture without alternative text: those who cannot see it learn nothing of it; "
             u"describe it in the picture's alternative text (Alt Text)");
    }
  }

  // The test's data file as a conversion writes it, read as its quiz page
  // reads it.
  void quizCheck(const ClosedEntry& e) {
    word::Selection sel = app_.selection();
    sel.setStart(e.start);
    sel.setEnd(e.end);
    sel.range().copy();
    course::TemporaryDocument data(app_);
    const word::StorySpan section = quiz::composeTestData(app_, e.escapedTitle);
    const u16string text =
        support::fromCodePage(app_.activeDocument().textExport(section), support::kCyrillic);
    data.close();
    const std::optional<quiz::QuizProblem> problem = quiz::firstProblem(text);
    if (!problem) return;
    // Its first two lines are the data file's own; then one a paragraph.
    int32_t at = e.heading;
    if (problem->lineNumber > 2) {
      at = e.start;
      for (int k = problem->lineNumber - 3; k > 0 && at < e.end; --k) at = doc_.paragraph(at).end;
    }
    error(at, u"its quiz page stops here: " + widen(problem->message) +
                  u": learners cannot take this test" +
                  (problem->remedy.empty() ? u"" : u"; " + widen(problem->remedy)));
  }

  void describeParagraph(LintWarning& w) {
    const word::Document::ParagraphSpan span = doc_.paragraph(w.position);
    w.paragraph = span.number;
    // Kept by paragraph: thousands of warnings of one long paragraph read
    // its whole text again each.
    auto [known, fresh] = firstWords_.try_emplace(span.start);
    if (fresh) {
      known->second = words(paragraphText(span), 5, false);
      if (known->second.empty()) known->second = wordsAround(span);
      known->second = cutForQuote(std::move(known->second));
    }
    w.firstWords = known->second;
    auto named = std::upper_bound(names_.begin(), names_.end(), w.position,
                                  [](int32_t at, const Name& n) { return at < n.at; });
    if (named != names_.begin() && !w.wholeCourse) w.where = std::prev(named)->name;
  }

  u16string paragraphText(const word::Document::ParagraphSpan& span) {
    return word::Range(app_, doc_, span.start, span.end).text();
  }

  // For a paragraph without a word (a picture alone): the last words of the
  // text before it and the first of the text after it, a few paragraphs
  // away at most and never past a marker line, which is another entry's.
  u16string wordsAround(const word::Document::ParagraphSpan& span) {
    u16string before, after;
    word::Document::ParagraphSpan at = span;
    for (int k = 0; k < 3 && before.empty() && at.start > 0; ++k) {
      at = doc_.paragraph(at.start - 1);
      const u16string text = paragraphText(at);
      if (markerLine(text)) break;
      before = words(text, 5, true);
    }
    at = span;
    const int32_t end = doc_.content().end();
    for (int k = 0; k < 3 && after.empty() && at.end < end; ++k) {
      at = doc_.paragraph(at.end);
      const u16string text = paragraphText(at);
      if (markerLine(text)) break;
      after = words(text, 5, false);
    }
    if (before.empty() || after.empty()) return before + after;
    return before + u" \u2026 " + after;
  }

  word::Application& app_;
  word::Document& doc_;
  std::vector<LintWarning> found_;
  std::map<int32_t, u16string> firstWords_;  // by a paragraph's start
  std::vector<ClosedEntry> entries_;
  RecordedWalk walk_;
  std::vector<LinkReference> references_;
  // Where each page, test and chapter starts, in document order.
  struct Name {
    int32_t at;
    u16string name;
  };
  std::vector<Name> names_;
  StyledHeadings styledHeadings_;
  std::set<u16string> titlesHere_;  // of the pages and tests since the last chapter mark
  std::set<int32_t> contentsAt_;    // the marker lines of a table of contents
  int32_t leftOutAt_ = -1;  // the chapter mark whose left-out text was told
  bool mistypedSincePending_ = false;
  size_t mistypedAt_ = 0;  // the last mistyped line's warning, in found_
  u16string mistypedLine_;
  std::optional<size_t> misplacedAt_;  // where its marker stands, when typed right
  int titles_ = 0, authors_ = 0;
  bool chapterOpen_ = false, droppedBefore_ = false, contentSincePending_ = false;
  u16string lastDropped_;  // "page" or "test": the last one, left out for being short
  u16string chapterTitle_;
  int32_t chapterAt_ = 0;
};

}  // namespace

LintResult lintDocument(word::Application& app, const std::string& path) {
  word::Document& doc = app.documents().open(path);
  return Linter(app, doc).run();
}

std::vector<LintWarning> lint(word::Application& app, const std::string& path) {
  return lintDocument(app, path).warnings;
}

std::string lintLine(const std::string& path, const LintWarning& w) {
  const std::string where = w.where.empty() ? "" : support::toUtf8(w.where) + ": ";
  return path + ":" + std::to_string(w.paragraph) + (w.error() ? ": error: " : ": warning: ") +
         where + support::toUtf8(w.message) + " (\"" + support::toUtf8(w.firstWords) + "\")";
}

std::u16string lintWindowLine(const LintWarning& w) {
  return u"line " + support::number(w.paragraph) + (w.where.empty() ? u"" : u", " + w.where) +
         u": " + (w.error() ? u"error: " : u"") + w.message;
}

size_t errorCount(const std::vector<LintWarning>& warnings) {
  return static_cast<size_t>(std::count_if(warnings.begin(), warnings.end(),
                                           [](const LintWarning& w) { return w.error(); }));
}

}  // namespace convert
