#include "convert/lint.h"

#include <algorithm>
#include <map>
#include <optional>

#include "convert/scanner.h"
#include "course/export_context.h"
#include "course/session.h"
#include "package/escape.h"
#include "quiz/quiz_reader.h"
#include "quiz/save_test.h"
#include "support/codepage.h"
#include "support/error.h"
#include "support/strings.h"

namespace convert {
namespace {

using std::u16string;
using support::widen;

constexpr std::u16string_view kMarkers[] = {u"%TITLE=", u"%AUTHOR=", u"%PID=", u"%H1=",
                                            u"%H1#",    u"%H2=",     u"%TEST="};

bool blank(char16_t c) {
  return c <= 0x20 || c == 0xA0;
}

bool hasText(std::u16string_view s) {
  return std::any_of(s.begin(), s.end(), [](char16_t c) { return !blank(c); });
}

// The marker a text starts with, after blanks, in any case; empty if none.
std::u16string_view markerAt(std::u16string_view text) {
  const u16string t = support::upperAscii(support::trimBlanks(text));
  for (std::u16string_view m : kMarkers)
    if (std::u16string_view(t).substr(0, m.size()) == m) return m;
  return {};
}

u16string quoted(std::u16string_view s) {
  return u"\"" + u16string(s) + u"\"";
}

struct Entry {
  int32_t kind = 0;
  u16string title;
  int32_t heading = 0;  // where its heading marker stands
  int32_t start = 0, end = 0;
  std::optional<int32_t> pid;
  int32_t pidAt = 0;
};

struct Reference {
  u16string target;
  int32_t at;
};

class Linter {
 public:
  Linter(word::Application& app, word::Document& doc) : app_(app), doc_(doc) {}

  std::vector<LintWarning> run() {
    walkParagraphs(
        app_, [&](word::Selection& sel) { paragraph(sel); },
        [&](int32_t start) { table(start, app_.selection().start()); });
    closeLast(app_.selection().end());
    courseWide();
    for (const Entry& e : entries_) entry(e);
    crossChecks();
    std::stable_sort(found_.begin(), found_.end(), [](const LintWarning& a, const LintWarning& b) {
      return a.position < b.position;
    });
    for (LintWarning& w : found_) describeParagraph(w);
    return found_;
  }

 private:
  void warn(int32_t at, u16string message) { found_.push_back({at, 0, std::move(message), {}}); }

  // ---------------------------------------------------------- the walk

  void paragraph(word::Selection& sel) {
    const u16string text = sel.text();
    const int32_t at = sel.start();
    lineBreaks(text, at);
    const u16string line = prepareLine(text);
    const MarkerLine m = classify(line);
    switch (m.marker) {
      case Marker::Content:
        return content(text, line, at);
      case Marker::Title:
        return courseLine(titles_, u"%TITLE=", at);
      case Marker::Author:
        return courseLine(authors_, u"%AUTHOR=", at);
      case Marker::Pid:
        return pid(m.value, at, sel.end());
      case Marker::ChapterStart:
        return chapterStart(m.value, at, sel.end());
      case Marker::ChapterEnd:
        return chapterEnd(m.value, at, sel.end());
      case Marker::Page:
        return heading(course::kPage, u"%H2=", m.value, at, sel.end());
      case Marker::Test:
        return heading(course::kTest, u"%TEST=", m.value, at, sel.end());
    }
  }

  // A marker after a line break (Shift+Enter) is in the middle of its
  // paragraph: the scanner reads paragraphs, so it is text.
  void lineBreaks(const u16string& text, int32_t at) {
    for (size_t b = text.find(u'\v'); b != u16string::npos; b = text.find(u'\v', b + 1)) {
      const std::u16string_view m = markerAt(std::u16string_view(text).substr(b + 1));
      if (!m.empty())
        warn(at, u"a line break (Shift+Enter) stands before " + quoted(m) +
                     u": the marker is read as text; end the line before it with Enter");
    }
  }

  void content(const u16string& text, const u16string& line, int32_t at) {
    const bool reference = support::upperAscii(std::u16string_view(line).substr(0, 3)) == u"%A=" ||
                           support::upperAscii(std::u16string_view(line).substr(0, 3)) == u"%A#";
    if (!line.empty() && line[0] == u'%' && !reference)
      warn(at,
           u"the line starts with \"%\" but is no marker, so it is course text (markers: "
           u"%TITLE= %AUTHOR= %H1= %H1# %H2= %TEST= %PID=)");
    if (!hasText(text)) return;
    if (pendingStart_ < 0 && !droppedBefore_) {
      droppedBefore_ = true;
      warn(at,
           u"text before the first \"%H1=\", \"%H2=\" or \"%TEST=\" belongs to no page and is "
           u"left out of the course");
    }
    if (pendingStart_ >= 0) contentSincePending_ = true;
    if (pendingStart_ >= 0 && pendingKind_ <= course::kPage) references(text, at);
  }

  // "%A=PID text%A#" on one paragraph: the page rewrites it into a link.
  void references(const u16string& text, int32_t at) {
    const u16string upper = support::upperAscii(text);
    for (size_t p = upper.find(u"%A="); p != u16string::npos; p = upper.find(u"%A=", p + 3)) {
      const size_t q = upper.find(u"%A#", p + 3);
      if (q == u16string::npos) {
        warn(at,
             u"\"%A=\" without \"%A#\" in the same paragraph: the page shows the marker as text");
        return;
      }
      const size_t space = upper.find(u' ', p + 3);
      const size_t end = space != u16string::npos && space < q ? space : q;
      references_.push_back({text.substr(p + 3, end - p - 3), at});
      p = q;
    }
  }

  void courseLine(int& count, std::u16string_view marker, int32_t at) {
    if (++count == 2) warn(at, u"a second " + quoted(marker) + u" line: the later one counts");
    if (pendingStart_ >= 0) contentSincePending_ = true;
  }

  void pid(const u16string& value, int32_t at, int32_t end) {
    int32_t number = 0;
    try {
      number = parsePid(value);
    } catch (const support::Error& e) {
      warn(at, e.number() == 13
                   ? u"\"%PID=\" without a number: the conversion stops here (error 13)"
                   : u"\"%PID=\" beyond the whole numbers it takes: the conversion "
                     u"stops here (error 6)");
      return;
    }
    if (pendingPid_) warn(at, u"a second \"%PID=\" for the same item: the later number counts");
    if (pendingStart_ >= 0 && contentSincePending_)
      warn(at,
           u"\"%PID=\" after text: the text between the heading above and this line is left "
           u"out (a mistyped heading marker above?); put \"%PID=\" right after its heading");
    pendingPid_ = number;
    pidAt_ = at;
    pendingStart_ = end;
    contentSincePending_ = false;
  }

  void chapterStart(const u16string& title, int32_t at, int32_t end) {
    if (h1Open_)
      warn(at, u"\"%H1=\" while the chapter " + quoted(chapterTitle_) +
                   u" is still open: this chapter nests inside it; close that one with \"%H1#\"");
    h1Open_ = true;
    chapterTitle_ = title;
    chapterAt_ = at;
    heading(course::kChapterStart, u"%H1=", title, at, end);
  }

  void chapterEnd(const u16string& title, int32_t at, int32_t end) {
    if (!h1Open_) {
      warn(at,
           u"\"%H1#\" without an open chapter: the line is ignored and stays text of the "
           u"page above");
      if (pendingStart_ >= 0) contentSincePending_ = true;
      return;
    }
    h1Open_ = false;
    heading(course::kChapterEnd, u"%H1#", title, at, end);
  }

  void heading(int32_t kind, std::u16string_view marker, const u16string& title, int32_t at,
               int32_t end) {
    if (kind != course::kChapterEnd && !hasText(title))
      warn(at, u"an empty title after " + quoted(marker) + u": the contents show an empty line");
    if (pendingStart_ >= 0) record(at);
    pendingKind_ = kind;
    pendingTitle_ = title;
    headingAt_ = at;
    pendingStart_ = end;
    pendingPid_.reset();
    contentSincePending_ = false;
  }

  void record(int32_t end) {
    entries_.push_back(
        {pendingKind_, pendingTitle_, headingAt_, pendingStart_, end, pendingPid_, pidAt_});
    if (entries_.size() == course::kOutlineRows)
      warn(headingAt_,
           u"the 1001st item: a course holds at most 1000, the conversion stops here "
           u"(error 9)");
  }

  // Markers inside tables are never read.
  void table(int32_t start, int32_t end) {
    if (pendingStart_ >= 0) contentSincePending_ = true;
    const u16string text = word::Range(app_, doc_, start, end).text();
    size_t from = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
      if (i < text.size() && text[i] != u'\r' && text[i] != 7) continue;
      const std::u16string_view m = markerAt(std::u16string_view(text).substr(from, i - from));
      if (!m.empty())
        warn(start + static_cast<int32_t>(from),
             quoted(m) + u" in a table is not read: markers work only outside tables");
      from = i + 1;
    }
  }

  // The last item counts only with more than ten characters of content.
  void closeLast(int32_t end) {
    if (pendingStart_ < 0) return;
    if (pendingStart_ + 10 < end || pendingKind_ == course::kChapterEnd) {
      record(end);
    } else if (pendingKind_ != course::kChapterStart) {
      warn(headingAt_, u"the last page " + quoted(pendingTitle_) +
                           u" has ten characters or fewer: it is left out of the course");
    }
  }

  // ---------------------------------------------------- after the walk

  void courseWide() {
    if (titles_ == 0) warn(0, u"no \"%TITLE=\" line: the course has no title");
    if (authors_ == 0) warn(0, u"no \"%AUTHOR=\" line: the course header names no author");
    if (h1Open_)
      warn(chapterAt_, u"the chapter " + quoted(chapterTitle_) +
                           u" is never closed with \"%H1#\": it runs to the end of the course");
  }

  void entry(const Entry& e) {
    if (e.kind == course::kTest) return quizCheck(e);
    if (e.kind > course::kPage) return;
    if (!hasText(word::Range(app_, doc_, e.start, e.end).text()))
      warn(e.heading, u"the page " + quoted(e.title) + u" has no content");
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
  void quizCheck(const Entry& e) {
    word::Selection sel = app_.selection();
    sel.setStart(e.start);
    sel.setEnd(e.end);
    sel.range().copy();
    course::TemporaryDocument data(app_);
    quiz::composeTestData(app_, package::escapeText(e.title));
    const u16string text =
        support::fromCodePage(app_.activeDocument().textExport(), support::kCyrillic);
    data.close();
    const std::optional<quiz::QuizProblem> problem = quiz::firstProblem(text);
    if (!problem) return;
    // Its first two lines are the data file's own; then one a paragraph.
    int32_t at = e.heading;
    if (problem->lineNumber > 2) {
      at = e.start;
      for (int k = problem->lineNumber - 3; k > 0 && at < e.end; --k) at = doc_.paragraph(at).end;
    }
    warn(at, u"the test " + quoted(e.title) + u": its quiz page stops here: " +
                 widen(problem->message));
  }

  void crossChecks() {
    std::map<int32_t, const Entry*> byPid;
    for (const Entry& e : entries_) {
      if (!e.pid) continue;
      auto [it, fresh] = byPid.emplace(*e.pid, &e);
      if (!fresh)
        warn(e.pidAt, u"PID " + support::number(*e.pid) +
                          u" is given to two items: the manifest "
                          u"names this one ITEM" +
                          support::number(*e.pid) + u"_" +
                          support::number(static_cast<int64_t>(&e - entries_.data()) + 1));
    }
    for (const Reference& r : references_) {
      std::optional<int32_t> target;
      try {
        target = parsePid(r.target);
      } catch (const support::Error&) {
      }
      if (!target || !byPid.count(*target))
        warn(r.at,
             u"\"%A=" + r.target + u"\" links to PID " + quoted(r.target) + u", which no item has");
    }
  }

  void describeParagraph(LintWarning& w) {
    const word::Document::ParagraphSpan span = doc_.paragraph(w.position);
    w.paragraph = span.number;
    u16string words, word;
    int count = 0;
    for (char16_t c : word::Range(app_, doc_, span.start, span.end).text() + u" ") {
      if (!blank(c)) {
        word += c;
      } else if (!word.empty()) {
        if (count++ < 5) words += (words.empty() ? u"" : u" ") + word;
        word.clear();
      }
    }
    w.firstWords = words;
  }

  word::Application& app_;
  word::Document& doc_;
  std::vector<LintWarning> found_;
  std::vector<Entry> entries_;
  std::vector<Reference> references_;
  int titles_ = 0, authors_ = 0;
  bool h1Open_ = false, droppedBefore_ = false, contentSincePending_ = false;
  u16string chapterTitle_, pendingTitle_;
  int32_t chapterAt_ = 0, headingAt_ = 0, pidAt_ = 0;
  int32_t pendingStart_ = -1, pendingKind_ = 0;
  std::optional<int32_t> pendingPid_;
};

}  // namespace

std::vector<LintWarning> lint(word::Application& app, const std::string& path) {
  word::Document& doc = app.documents().open(path);
  return Linter(app, doc).run();
}

std::string lintLine(const std::string& path, const LintWarning& w) {
  return path + ":" + std::to_string(w.paragraph) + ": warning: " + support::toUtf8(w.message) +
         " (\"" + support::toUtf8(w.firstWords) + "\")";
}

}  // namespace convert
